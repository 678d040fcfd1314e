-- The client's views over the base tables.

CREATE VIEW group_form AS
    SELECT g.id_group, g.p20, a.o_z, a.id_login
    FROM st_group g JOIN group_login a ON a.id_group = g.id_group;

CREATE VIEW g_sem AS
    SELECT gs.id_group, gs.id_semester, s.p43, gs.id_rate
    FROM group_sem gs JOIN semester s ON s.id_semester = gs.id_semester;

CREATE VIEW gr_sem_disc_exam AS
    SELECT e.id_group, e.id_semester, e.id_discipline, d.p34, e.id_examination, x.p30
    FROM educ_sh e
    JOIN discipline d ON d.id_discipline = e.id_discipline
    JOIN examination x ON x.id_examination = e.id_examination;

CREATE VIEW est2 AS
    SELECT ee.id_examination, ee.id_estimation, e.p31
    FROM exam_estimation ee JOIN estimation e ON e.id_estimation = ee.id_estimation;

CREATE VIEW g_s AS
    SELECT g.id_group, sp.spec, g.id_speciality
    FROM st_group g JOIN speciality sp ON sp.id_speciality = g.id_speciality;

CREATE VIEW g_r_y AS
    SELECT id_group, id_rate, p32 FROM group_year;

CREATE VIEW s_g AS
    SELECT gs.id_group, gs.id_student, s.s_fio, s.idid
    FROM group_student gs JOIN s_fio s ON s.id_student = gs.id_student;
