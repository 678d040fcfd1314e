-- The server's own bookkeeping: settings, logins, rights, user accounts and sign-ins.
-- Every name starts with kel_srv_, which no object of the client's schema does.

CREATE TABLE kel_srv_setting (
    name  VARCHAR(50) PRIMARY KEY,
    value VARCHAR(200) NOT NULL
);

INSERT INTO kel_srv_setting (name, value) VALUES
    ('database', 'KEL'),
    ('required_program', 'KEL 14'),
    ('password_life_days', '90'),
    ('lock_failures', '5'),
    ('lock_minutes', '15'),
    ('lockout_rows', '100000'),
    ('signin_log_rows', '100000'),
    ('signin_rows_per_login', '1000'),
    ('failed_checks_per_minute', '60'),
    ('write_lock_ms', '10000');

-- Logins of the server. kind 'check' may only verify users; kind 'work' is a user's working
-- login, handed out by GET_USER. name_key is the name folded to lower case: login names
-- are case-insensitive, passwords are not.
CREATE TABLE kel_srv_login (
    name     VARCHAR(50) NOT NULL,
    name_key VARCHAR(50) PRIMARY KEY,
    password VARCHAR(50) NOT NULL,
    kind     VARCHAR(5) NOT NULL CHECK (kind IN ('check', 'work'))
);

-- Rights: an action on an object (and, for SELECT and UPDATE, a column, '*' for all),
-- granted to a login kind or to one login by name_key.
CREATE TABLE kel_srv_grant (
    grantee     VARCHAR(50) NOT NULL,
    action      VARCHAR(10) NOT NULL CHECK (action IN ('SELECT', 'INSERT', 'UPDATE', 'DELETE',
                                                       'EXECUTE')),
    object_name VARCHAR(50) NOT NULL,
    column_name VARCHAR(50) NOT NULL DEFAULT '*',
    PRIMARY KEY (grantee, action, object_name, column_name)
);

INSERT INTO kel_srv_grant (grantee, action, object_name) VALUES
    ('check', 'EXECUTE', 'GET_USER'),
    ('work', 'EXECUTE', 'GET_USER'),
    ('work', 'EXECUTE', 'SORT_MARK_MAG'),
    ('work', 'EXECUTE', 'InsertInto_SORT_MARK_MAG'),
    ('work', 'EXECUTE', 'CTRL_Z_Mark_mag'),
    ('work', 'SELECT', 't_fio'),
    ('work', 'SELECT', 's_fio'),
    ('work', 'SELECT', 'estimation'),
    ('work', 'SELECT', 'examination'),
    ('work', 'SELECT', 'semester'),
    ('work', 'SELECT', 'f_est'),
    ('work', 'SELECT', 'discipline'),
    ('work', 'SELECT', 'speciality'),
    ('work', 'SELECT', 'EstimationOther'),
    ('work', 'SELECT', 'com_sfe'),
    ('work', 'SELECT', 'st_group'),
    ('work', 'SELECT', 'group_student'),
    ('work', 'SELECT', 'group_sem'),
    ('work', 'SELECT', 'group_year'),
    ('work', 'SELECT', 'exam_estimation'),
    ('work', 'SELECT', 'educ_sh'),
    ('work', 'SELECT', 'mark_mag'),
    ('work', 'SELECT', 'DEL_mark_mag'),
    ('work', 'SELECT', 'group_form'),
    ('work', 'SELECT', 'g_sem'),
    ('work', 'SELECT', 'gr_sem_disc_exam'),
    ('work', 'SELECT', 'est2'),
    ('work', 'SELECT', 'g_s'),
    ('work', 'SELECT', 'g_r_y'),
    ('work', 'SELECT', 's_g'),
    ('work', 'DELETE', 'mark_mag'),
    ('work', 'INSERT', 'KEL_LOG');

-- The journal columns the client edits; the keys of the row, its student and form of
-- control, and the carried columns stay the server's.
INSERT INTO kel_srv_grant (grantee, action, object_name, column_name) VALUES
    ('work', 'UPDATE', 'mark_mag', 'id_estimation_other'),
    ('work', 'UPDATE', 'mark_mag', 'id_group'),
    ('work', 'UPDATE', 'mark_mag', 'id_estimation'),
    ('work', 'UPDATE', 'mark_mag', 'id_discipline'),
    ('work', 'UPDATE', 'mark_mag', 'id_semester'),
    ('work', 'UPDATE', 'mark_mag', 'id_teacher'),
    ('work', 'UPDATE', 'mark_mag', 'p35'),
    ('work', 'UPDATE', 'mark_mag', 'p36'),
    ('work', 'UPDATE', 'mark_mag', 'id_f_est'),
    ('work', 'UPDATE', 'mark_mag', 'primech'),
    ('work', 'UPDATE', 'mark_mag', 'dopusk_izm'),
    ('work', 'UPDATE', 'DEL_mark_mag', 'Check_ch'),
    ('work', 'UPDATE', 's_fio', 'idid');

-- People who sign in. pwd_md5 is MD5Hex of the password; pwd_set NULL means the password
-- was given by an administrator and must be changed at the first sign-in.
CREATE TABLE kel_srv_user (
    id_login     INTEGER PRIMARY KEY,
    login        VARCHAR(50) NOT NULL,
    login_key    VARCHAR(50) NOT NULL UNIQUE,
    fio          VARCHAR(70) NULL,
    pwd_md5      CHAR(32) NOT NULL,
    pwd_set      DATETIME NULL,
    enabled      BIT NOT NULL DEFAULT 1,
    work_login   VARCHAR(50) NOT NULL REFERENCES kel_srv_login (name_key)
);

-- Failed sign-ins in a row, by login as typed (folded), whether a user has that login or
-- not: an unknown login is counted and locked like a known one, so that the answers do not
-- tell which logins exist. A failure renews id_lockout; when the table holds more than the
-- setting lockout_rows, the least recently failing rows of logins no user has go first, and
-- a row that locks or belongs to a user is never dropped.
CREATE TABLE kel_srv_lockout (
    id_lockout   INTEGER PRIMARY KEY,
    login_key    VARCHAR(100) NOT NULL UNIQUE,
    failures     INTEGER NOT NULL DEFAULT 0,
    locked_until DATETIME NULL
);

-- Failed password checks of the last minute, all logins together (one row).
CREATE TABLE kel_srv_throttle (
    id           INTEGER PRIMARY KEY CHECK (id = 1),
    window_start DATETIME NOT NULL,
    failures     INTEGER NOT NULL
);

-- Every call of GET_USER, as it came and as it was answered. Each login keeps its newest
-- signin_rows_per_login rows; logins no user has share a window of signin_log_rows, so a
-- flood of invented logins cannot push out the history of real ones.
CREATE TABLE kel_srv_signin (
    id_signin INTEGER PRIMARY KEY AUTOINCREMENT,
    at        DATETIME NOT NULL,
    login     VARCHAR(100) NULL,
    address   VARCHAR(100) NULL,
    computer  VARCHAR(300) NULL,
    program   VARCHAR(100) NULL,
    outcome   VARCHAR(20) NOT NULL,
    login_key VARCHAR(100) NULL,
    known     BIT NOT NULL DEFAULT 0
);

CREATE INDEX kel_srv_signin_login ON kel_srv_signin (login_key, id_signin);
CREATE INDEX kel_srv_signin_known ON kel_srv_signin (known, id_signin);
