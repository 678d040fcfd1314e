-- What the server fills itself: carried columns of a changed journal row, deleted rows kept
-- for restoring, and who wrote each audit record. kel_* functions belong to the server.

CREATE TRIGGER mark_mag_carried
AFTER UPDATE OF id_estimation_other, id_group, id_student, id_examination, id_estimation,
                id_discipline, id_semester, id_teacher, p35, p36, id_f_est, primech, dopusk_izm
ON mark_mag
WHEN OLD.id_estimation_other IS NOT NEW.id_estimation_other
  OR OLD.id_group IS NOT NEW.id_group
  OR OLD.id_student IS NOT NEW.id_student
  OR OLD.id_examination IS NOT NEW.id_examination
  OR OLD.id_estimation IS NOT NEW.id_estimation
  OR OLD.id_discipline IS NOT NEW.id_discipline
  OR OLD.id_semester IS NOT NEW.id_semester
  OR OLD.id_teacher IS NOT NEW.id_teacher
  OR OLD.p35 IS NOT NEW.p35
  OR OLD.p36 IS NOT NEW.p36
  OR OLD.id_f_est IS NOT NEW.id_f_est
  OR OLD.primech IS NOT NEW.primech
  OR OLD.dopusk_izm IS NOT NEW.dopusk_izm
BEGIN
    UPDATE mark_mag
    SET oper = substr(CAST(kel_user_id() AS TEXT), 1, 5),
        u_date = kel_now(),
        KEL_User = substr(kel_user_login(), 1, 20),
        KEL_Update = kel_today()
    WHERE id_mark_mag = NEW.id_mark_mag;
END;

CREATE TRIGGER mark_mag_deleted
AFTER DELETE ON mark_mag
BEGIN
    INSERT OR REPLACE INTO DEL_mark_mag (
        id_mark_mag, id_group, id_student, id_examination, id_estimation, id_discipline,
        id_semester, id_teacher, p35, p36, id_f_est, oper, u_date, Check_ch, del_oper, del_date,
        id_estimation_other, KEL_User, KEL_Update, primech, dopusk_izm)
    VALUES (
        OLD.id_mark_mag, OLD.id_group, OLD.id_student, OLD.id_examination, OLD.id_estimation,
        OLD.id_discipline, OLD.id_semester, OLD.id_teacher, OLD.p35, OLD.p36, OLD.id_f_est,
        OLD.oper, OLD.u_date, 0, substr(kel_user_login(), 1, 10), kel_now(),
        OLD.id_estimation_other, OLD.KEL_User, OLD.KEL_Update, OLD.primech, OLD.dopusk_izm);
END;

CREATE TRIGGER KEL_LOG_written
AFTER INSERT ON KEL_LOG
BEGIN
    UPDATE KEL_LOG SET log_login = kel_user_login(), log_date = kel_now()
    WHERE id_log = NEW.id_log;
END;
