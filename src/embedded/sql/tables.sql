-- The client's tables: reference data, the curriculum, the journal, deleted rows and the audit log.
-- Sizes are the client's field sizes; CHECKs keep the server from storing more than fits,
-- and keep dates in the one text form that compares in time order (a constraint named
-- <column>_date), as SQL Server's column types would refuse anything else.

CREATE TABLE t_fio (
    id_teacher INTEGER PRIMARY KEY,
    t_fio      VARCHAR(60) NOT NULL CHECK (length(t_fio) <= 60)
);

CREATE TABLE s_fio (
    id_student INTEGER PRIMARY KEY,
    s_fio      VARCHAR(70) NOT NULL CHECK (length(s_fio) <= 70),
    idid       VARCHAR(20) NULL CHECK (idid IS NULL OR length(idid) <= 20)
);

CREATE TABLE estimation (
    id_estimation INTEGER PRIMARY KEY,
    p31           VARCHAR(30) NOT NULL
);

CREATE TABLE examination (
    id_examination INTEGER PRIMARY KEY,
    p30            VARCHAR(30) NOT NULL
);

CREATE TABLE semester (
    id_semester INTEGER PRIMARY KEY,
    p43         VARCHAR(30) NOT NULL
);

CREATE TABLE f_est (
    id_f_e INTEGER PRIMARY KEY,
    p109   VARCHAR(30) NOT NULL
);

CREATE TABLE discipline (
    id_discipline INTEGER PRIMARY KEY,
    p34           VARCHAR(90) NOT NULL
);

CREATE TABLE speciality (
    id_speciality INTEGER PRIMARY KEY,
    spec          VARCHAR(100) NOT NULL
);

-- Sets of special marks and the specialities they apply to.
CREATE TABLE EstimationOther (
    id_estimation_other INTEGER PRIMARY KEY,
    Estimation_Other    VARCHAR(10) NOT NULL,
    id_ebe_var          INTEGER NOT NULL
);

CREATE TABLE com_sfe (
    id_ebe_var    INTEGER NOT NULL,
    id_speciality INTEGER NOT NULL REFERENCES speciality (id_speciality),
    PRIMARY KEY (id_ebe_var, id_speciality)
);

-- Study groups; o_z and id_login of group_form come from group_login.
CREATE TABLE st_group (
    id_group      INTEGER PRIMARY KEY,
    p20           VARCHAR(20) NOT NULL,
    id_speciality INTEGER NULL REFERENCES speciality (id_speciality)
);

-- Which user works with which group; o_z = 1 offers the group to the user.
CREATE TABLE group_login (
    id_group INTEGER NOT NULL REFERENCES st_group (id_group),
    id_login INTEGER NOT NULL,
    o_z      INTEGER NOT NULL DEFAULT 1,
    PRIMARY KEY (id_group, id_login)
);

CREATE TABLE group_student (
    id_group   INTEGER NOT NULL REFERENCES st_group (id_group),
    id_student INTEGER NOT NULL REFERENCES s_fio (id_student),
    PRIMARY KEY (id_group, id_student)
);

-- A group's semesters; id_rate picks the group's year text in group_year.
CREATE TABLE group_sem (
    id_group    INTEGER NOT NULL REFERENCES st_group (id_group),
    id_semester INTEGER NOT NULL REFERENCES semester (id_semester),
    id_rate     INTEGER NOT NULL,
    PRIMARY KEY (id_group, id_semester)
);

CREATE TABLE group_year (
    id_group INTEGER NOT NULL REFERENCES st_group (id_group),
    id_rate  INTEGER NOT NULL,
    p32      VARCHAR(100) NULL,
    PRIMARY KEY (id_group, id_rate)
);

-- The marks each form of control allows.
CREATE TABLE exam_estimation (
    id_examination INTEGER NOT NULL REFERENCES examination (id_examination),
    id_estimation  INTEGER NOT NULL REFERENCES estimation (id_estimation),
    PRIMARY KEY (id_examination, id_estimation)
);

-- The curriculum: a discipline taken by a group in a semester with a form of control.
CREATE TABLE educ_sh (
    id_educ_sh     INTEGER PRIMARY KEY,
    id_group       INTEGER NOT NULL REFERENCES st_group (id_group),
    id_semester    INTEGER NOT NULL REFERENCES semester (id_semester),
    id_discipline  INTEGER NOT NULL REFERENCES discipline (id_discipline),
    id_examination INTEGER NOT NULL REFERENCES examination (id_examination),
    hours          INTEGER NULL,
    UNIQUE (id_group, id_semester, id_discipline, id_examination)
);

-- The journal, columns in the client's order.
CREATE TABLE mark_mag (
    id_estimation_other INTEGER NULL REFERENCES EstimationOther (id_estimation_other),
    id_mark_mag         INTEGER PRIMARY KEY AUTOINCREMENT,
    id_group            INTEGER NOT NULL REFERENCES st_group (id_group),
    id_student          INTEGER NOT NULL REFERENCES s_fio (id_student),
    id_examination      INTEGER NOT NULL REFERENCES examination (id_examination),
    id_estimation       INTEGER NULL REFERENCES estimation (id_estimation),
    id_discipline       INTEGER NOT NULL REFERENCES discipline (id_discipline),
    id_semester         INTEGER NOT NULL REFERENCES semester (id_semester),
    id_teacher          INTEGER NULL REFERENCES t_fio (id_teacher),
    p35                 VARCHAR(50) NULL CHECK (p35 IS NULL OR length(p35) <= 50),
    p36                 DATETIME NULL
        CONSTRAINT p36_date CHECK (p36 IS NULL OR (typeof(p36) = 'text' AND length(p36) IN (10, 19, 23)
            AND p36 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', p36, '+0 days') IS p36 || substr(' 00:00:00.000', length(p36) - 9))),
    id_f_est            INTEGER NULL REFERENCES f_est (id_f_e),
    oper                VARCHAR(5) NULL,
    u_date              DATETIME NULL
        CONSTRAINT u_date_date CHECK (u_date IS NULL OR (typeof(u_date) = 'text' AND length(u_date) IN (10, 19, 23)
            AND u_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', u_date, '+0 days') IS u_date || substr(' 00:00:00.000', length(u_date) - 9))),
    KEL_User            VARCHAR(20) NULL,
    KEL_Update          DATE NULL
        CONSTRAINT KEL_Update_date CHECK (KEL_Update IS NULL OR (typeof(KEL_Update) = 'text' AND length(KEL_Update) IN (10, 19, 23)
            AND KEL_Update GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', KEL_Update, '+0 days') IS KEL_Update || substr(' 00:00:00.000', length(KEL_Update) - 9))),
    primech             VARCHAR(50) NULL CHECK (primech IS NULL OR length(primech) <= 50),
    dopusk_izm          BIT NOT NULL DEFAULT 0 CHECK (dopusk_izm IN (0, 1))
);

-- One selection of the journal is one range of this index, whatever the table's size.
CREATE INDEX mark_mag_selection
    ON mark_mag (id_group, id_semester, id_discipline, id_examination, id_student);

-- Deleted journal rows: the client's columns first, then the rest of the row so that a
-- restore brings back the identical row.
CREATE TABLE DEL_mark_mag (
    id_mark_mag         INTEGER PRIMARY KEY,
    id_group            INTEGER NOT NULL,
    id_student          INTEGER NOT NULL,
    id_examination      INTEGER NOT NULL,
    id_estimation       INTEGER NULL,
    id_discipline       INTEGER NOT NULL,
    id_semester         INTEGER NOT NULL,
    id_teacher          INTEGER NULL,
    p35                 VARCHAR(50) NULL,
    p36                 DATETIME NULL
        CONSTRAINT p36_date CHECK (p36 IS NULL OR (typeof(p36) = 'text' AND length(p36) IN (10, 19, 23)
            AND p36 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', p36, '+0 days') IS p36 || substr(' 00:00:00.000', length(p36) - 9))),
    id_f_est            INTEGER NULL,
    oper                VARCHAR(5) NULL,
    u_date              DATETIME NULL
        CONSTRAINT u_date_date CHECK (u_date IS NULL OR (typeof(u_date) = 'text' AND length(u_date) IN (10, 19, 23)
            AND u_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', u_date, '+0 days') IS u_date || substr(' 00:00:00.000', length(u_date) - 9))),
    Check_ch            BIT NOT NULL DEFAULT 0 CHECK (Check_ch IN (0, 1)),
    del_oper            NCHAR(10) NULL,
    del_date            DATETIME NULL
        CONSTRAINT del_date_date CHECK (del_date IS NULL OR (typeof(del_date) = 'text' AND length(del_date) IN (10, 19, 23)
            AND del_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', del_date, '+0 days') IS del_date || substr(' 00:00:00.000', length(del_date) - 9))),
    id_estimation_other INTEGER NULL,
    KEL_User            VARCHAR(20) NULL,
    KEL_Update          DATE NULL
        CONSTRAINT KEL_Update_date CHECK (KEL_Update IS NULL OR (typeof(KEL_Update) = 'text' AND length(KEL_Update) IN (10, 19, 23)
            AND KEL_Update GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', KEL_Update, '+0 days') IS KEL_Update || substr(' 00:00:00.000', length(KEL_Update) - 9))),
    primech             VARCHAR(50) NULL,
    dopusk_izm          BIT NOT NULL DEFAULT 0
);

CREATE INDEX DEL_mark_mag_selection ON DEL_mark_mag (id_group, id_semester);

-- The audit log; sizes hold a whole row image and a long computer name.
CREATE TABLE KEL_LOG (
    id_log     INTEGER PRIMARY KEY AUTOINCREMENT,
    [table]    VARCHAR(50) NOT NULL CHECK (length([table]) <= 50),
    row_id     INTEGER NULL
        CONSTRAINT row_id_integer CHECK (row_id IS NULL OR typeof(row_id) = 'integer'),
    descr      VARCHAR(4000) NOT NULL CHECK (length(descr) <= 4000),
    KEL_User   VARCHAR(50) NULL CHECK (KEL_User IS NULL OR length(KEL_User) <= 50),
    comp       VARCHAR(300) NULL CHECK (comp IS NULL OR length(comp) <= 300),
    log_login  VARCHAR(50) NULL,
    log_date   DATETIME NULL
        CONSTRAINT log_date_date CHECK (log_date IS NULL OR (typeof(log_date) = 'text' AND length(log_date) IN (10, 19, 23)
            AND log_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND strftime('%Y-%m-%d %H:%M:%f', log_date, '+0 days') IS log_date || substr(' 00:00:00.000', length(log_date) - 9)))
);

CREATE INDEX KEL_LOG_row ON KEL_LOG ([table], row_id);
