// The demo faculty: twelve groups of four specialities, their students, curriculum, marks
// of the past semesters, teachers and two users.
#include "DemoDatabase.h"

#include "embedded/ServerAdmin.h"

#include <QRandomGenerator>

namespace tools {
namespace {

const char* const Specialities[] = {"Прикладная информатика", "Экономика", "Менеджмент",
                                    "Юриспруденция"};
const char* const GroupPrefixes[] = {"ПИ", "ЭК", "МН", "ЮР"};

const char* const MaleSurnames[] = {
    "Иванов",   "Смирнов",   "Кузнецов", "Попов",    "Васильев", "Петров",   "Соколов",
    "Михайлов", "Новиков",   "Фёдоров",  "Морозов",  "Волков",   "Алексеев", "Лебедев",
    "Семёнов",  "Егоров",    "Павлов",   "Козлов",   "Степанов", "Николаев", "Орлов",
    "Андреев",  "Макаров",   "Никитин",  "Захаров",  "Зайцев",   "Соловьёв", "Борисов",
    "Яковлев",  "Григорьев", "Романов",  "Воробьёв", "Сергеев",  "Кузьмин",  "Фролов"};
const char* const MaleNames[] = {"Александр", "Дмитрий", "Максим",  "Сергей",  "Андрей",
                                 "Алексей",   "Артём",   "Илья",    "Кирилл",  "Михаил",
                                 "Никита",    "Матвей",  "Роман",   "Егор",    "Арсений",
                                 "Иван",      "Денис",   "Евгений", "Тимофей", "Владислав"};
const char* const FemaleNames[] = {"Анастасия", "Мария",     "Анна",   "Виктория", "Екатерина",
                                   "Наталья",   "Марина",    "Полина", "Дарья",    "Алина",
                                   "Ксения",    "Елизавета", "Софья",  "Валерия",  "Ольга",
                                   "Юлия",      "Татьяна",   "Ирина",  "Вероника", "Алёна"};
// Patronymics by the father's name: the son's form, then the daughter's.
const char* const Patronymics[][2] = {{"Александрович", "Александровна"},
                                      {"Дмитриевич", "Дмитриевна"},
                                      {"Сергеевич", "Сергеевна"},
                                      {"Андреевич", "Андреевна"},
                                      {"Алексеевич", "Алексеевна"},
                                      {"Владимирович", "Владимировна"},
                                      {"Николаевич", "Николаевна"},
                                      {"Игоревич", "Игоревна"},
                                      {"Юрьевич", "Юрьевна"},
                                      {"Олегович", "Олеговна"},
                                      {"Викторович", "Викторовна"},
                                      {"Павлович", "Павловна"},
                                      {"Михайлович", "Михайловна"},
                                      {"Евгеньевич", "Евгеньевна"},
                                      {"Иванович", "Ивановна"}};

const char* const Teachers[] = {
    "Белова Ирина Константиновна", "Громов Виктор Павлович",    "Данилова Елена Юрьевна",
    "Ершов Константин Игоревич",   "Жукова Светлана Андреевна", "Зуев Аркадий Семёнович",
    "Исаева Людмила Петровна",     "Калинин Борис Георгиевич",  "Ларионова Татьяна Олеговна",
    "Медведев Пётр Алексеевич",    "Осипова Галина Васильевна", "Полякова Нина Михайловна",
    "Родионов Геннадий Львович",   "Субботина Вера Николаевна", "Тихонов Анатолий Ильич"};

const char* const Disciplines[] = {"Математический анализ",
                                   "Линейная алгебра",
                                   "Программирование",
                                   "Базы данных",
                                   "Экономическая теория",
                                   "История России",
                                   "Философия",
                                   "Иностранный язык",
                                   "Физическая культура и спорт",
                                   "Основы менеджмента",
                                   "Бухгалтерский учет",
                                   "Гражданское право",
                                   "Теория государства и права",
                                   "Статистика",
                                   "Информатика",
                                   "Маркетинг",
                                   "Правоведение",
                                   "Финансы и кредит"};

// Disciplines per speciality and semester (indexes into Disciplines), with the form of
// control: 1 examination, 2 credit, 3 graded credit, 4 term paper.
struct Course {
    int discipline;
    int examination;
};
// A plan of four semesters repeats for the later years.
const std::vector<Course> Curriculum[4][4] = {
    {{{0, 1}, {14, 2}, {5, 1}, {7, 2}, {8, 2}},
     {{0, 1}, {1, 1}, {2, 3}, {7, 2}, {8, 2}},
     {{2, 1}, {3, 1}, {6, 1}, {13, 3}, {3, 4}},
     {{3, 1}, {13, 1}, {16, 2}, {7, 3}, {2, 4}}},
    {{{0, 1}, {4, 1}, {5, 1}, {7, 2}, {8, 2}},
     {{1, 1}, {4, 1}, {14, 3}, {7, 2}, {8, 2}},
     {{10, 1}, {13, 1}, {6, 1}, {17, 3}, {4, 4}},
     {{10, 1}, {17, 1}, {15, 2}, {16, 2}, {10, 4}}},
    {{{0, 1}, {9, 1}, {5, 1}, {7, 2}, {8, 2}},
     {{4, 1}, {9, 1}, {14, 3}, {7, 2}, {8, 2}},
     {{15, 1}, {13, 1}, {6, 1}, {10, 3}, {9, 4}},
     {{15, 1}, {17, 1}, {16, 2}, {7, 3}, {15, 4}}},
    {{{12, 1}, {5, 1}, {14, 2}, {7, 2}, {8, 2}},
     {{12, 1}, {11, 1}, {6, 3}, {7, 2}, {8, 2}},
     {{11, 1}, {4, 1}, {16, 3}, {13, 2}, {11, 4}},
     {{11, 1}, {10, 1}, {15, 2}, {7, 3}, {12, 4}}},
};

QString femaleSurname(const QString& male) {
    return male + QStringLiteral("а");
}

template <size_t N> QString pick(QRandomGenerator& r, const char* const (&list)[N]) {
    return QString::fromUtf8(list[r.bounded(int(N))]);
}

// A mark for one form of control, weighted as marks fall in a real faculty.
int markFor(int examination, QRandomGenerator& r) {
    const int roll = r.bounded(100);
    if (roll < 3)
        return 25; // does not take the discipline
    if (roll < 6)
        return roll < 5 ? 9 : 16; // did not come / not assessed
    if (examination == 2)
        return roll < 14 ? 10 : roll < 16 ? 11 : 5;
    if (roll < 14)
        return roll < 12 ? 8 : 11;
    return roll < 40 ? 2 : roll < 75 ? 3 : 4;
}

} // namespace

void fillDemoDatabase(const QString& path) {
    embedded::createDatabase(path);
    embedded::ServerAdmin admin(path);
    embedded::EmbeddedServer& server = admin.server();
    QRandomGenerator random(1402);
    const QDateTime now = QDateTime::currentDateTime();

    admin.createCheckLogin(QLatin1String(DemoNames::CheckLogin),
                           QLatin1String(DemoNames::CheckPassword));
    const int demo =
        admin.createUser(QLatin1String(DemoNames::User), QLatin1String(DemoNames::UserPassword),
                         now.addDays(-10), QStringLiteral("Смирнова Ольга Викторовна"));
    const int expired = admin.createUser(QLatin1String(DemoNames::ExpiredUser),
                                         QLatin1String(DemoNames::ExpiredPassword),
                                         now.addDays(-120), QStringLiteral("Кудрявцев Олег Ильич"));

    server.beginTransaction();
    auto exec = [&](const char* sql, const std::vector<QVariant>& binds = {}) {
        admin.exec(QString::fromUtf8(sql), binds);
    };
    for (int i = 0; i < 4; ++i)
        exec("INSERT INTO speciality VALUES (?, ?)", {i + 1, QString::fromUtf8(Specialities[i])});
    int id = 0;
    for (const char* t : Teachers)
        exec("INSERT INTO t_fio VALUES (?, ?)", {++id, QString::fromUtf8(t)});
    id = 0;
    for (const char* d : Disciplines)
        exec("INSERT INTO discipline VALUES (?, ?)", {++id, QString::fromUtf8(d)});
    for (int s = 1; s <= 8; ++s)
        exec("INSERT INTO semester VALUES (?, ?)", {s, QStringLiteral("%1 семестр").arg(s)});
    exec("INSERT INTO examination VALUES (1, 'Экзамен'), (2, 'Зачет'), (3, 'Дифф. зачет'), "
         "(4, 'Курсовая работа')");
    exec("INSERT INTO estimation VALUES (2, 'отлично'), (3, 'хорошо'), (4, 'удовлетворительно'), "
         "(5, 'зачтено'), (8, 'неудовлетворительно'), (9, 'неявка'), (10, 'не зачтено'), "
         "(11, 'не допущен'), (16, 'не аттестован'), (25, 'не изучает')");
    exec("INSERT INTO exam_estimation SELECT x.id_examination, e.id_estimation "
         "FROM examination x, estimation e WHERE "
         "(x.id_examination = 2 AND e.id_estimation IN (5, 9, 10, 11, 16, 25)) OR "
         "(x.id_examination <> 2 AND e.id_estimation NOT IN (5, 10))");
    exec("INSERT INTO f_est VALUES (1, 'Ведомость'), (2, 'Направление'), "
         "(3, 'Экзаменационный лист')");
    exec("INSERT INTO EstimationOther VALUES (1, 'ак. отп.', 1), (2, 'перезачет', 1), "
         "(3, 'инд. план', 2)");
    exec("INSERT INTO com_sfe VALUES (1, 1), (1, 2), (1, 3), (1, 4), (2, 1), (2, 4)");

    // The academic year starts in September; the autumn semester is under way until the
    // end of January and has no marks yet, like the spring one until July.
    const QDate today = now.date();
    const int yearStart = today.month() >= 9 ? today.year() : today.year() - 1;
    const int current = today.month() >= 9 || today.month() == 1 ? 1 : 2;
    int student = 0;
    int sheet = 1000;
    for (int spec = 0; spec < 4; ++spec) {
        for (int course = 1; course <= 3; ++course) {
            const int group = spec * 3 + course;
            const int entered = yearStart - (course - 1);
            exec("INSERT INTO st_group VALUES (?, ?, ?)",
                 {group,
                  QStringLiteral("%1-%2")
                      .arg(QString::fromUtf8(GroupPrefixes[spec]))
                      .arg(entered % 100, 2, 10, QLatin1Char('0')),
                  spec + 1});
            exec("INSERT INTO group_login VALUES (?, ?, 1)", {group, demo});
            exec("INSERT INTO group_login VALUES (?, ?, ?)", {group, expired, spec == 0 ? 1 : 0});
            const int size = 20 + random.bounded(11);
            std::vector<int> members;
            for (int k = 0; k < size; ++k) {
                const bool female = random.bounded(2) == 1;
                const QString surname = pick(random, MaleSurnames);
                const QString name =
                    QStringLiteral("%1 %2 %3")
                        .arg(female ? femaleSurname(surname) : surname,
                             female ? pick(random, FemaleNames) : pick(random, MaleNames),
                             QString::fromUtf8(Patronymics[random.bounded(
                                 int(std::size(Patronymics)))][female ? 1 : 0]));
                exec("INSERT INTO s_fio VALUES (?, ?, ?)",
                     {++student, name,
                      QStringLiteral("%1%2%3")
                          .arg(entered % 100, 2, 10, QLatin1Char('0'))
                          .arg(group, 2, 10, QLatin1Char('0'))
                          .arg(k + 1, 3, 10, QLatin1Char('0'))});
                exec("INSERT INTO group_student VALUES (?, ?)", {group, student});
                members.push_back(student);
            }
            const int semesters = (course - 1) * 2 + current;
            for (int s = 1; s <= semesters; ++s) {
                const int year = (s + 1) / 2;
                exec("INSERT INTO group_sem VALUES (?, ?, ?)", {group, s, year});
                exec("INSERT OR IGNORE INTO group_year VALUES (?, ?, ?)",
                     {group, year,
                      QStringLiteral("%1/%2 учебный год, %3 курс")
                          .arg(entered + year - 1)
                          .arg(entered + year)
                          .arg(year)});
                for (const Course& c : Curriculum[spec][(s - 1) % 4]) {
                    exec("INSERT INTO educ_sh (id_group, id_semester, id_discipline, "
                         "id_examination, hours) VALUES (?, ?, ?, ?, ?)",
                         {group, s, c.discipline + 1, c.examination, 36 * (1 + random.bounded(4))});
                    if (s == semesters)
                        continue;
                    const int teacher = 1 + random.bounded(int(std::size(Teachers)));
                    const QDate day = s % 2 == 1
                                          ? QDate(entered + year, 1, 10 + random.bounded(15))
                                          : QDate(entered + year, 6, 10 + random.bounded(15));
                    ++sheet;
                    for (int m : members) {
                        const int mark = markFor(c.examination, random);
                        const bool paper = mark != 25 && random.bounded(12) == 0;
                        exec("INSERT INTO mark_mag (id_estimation_other, id_group, id_student, "
                             "id_examination, id_estimation, id_discipline, id_semester, "
                             "id_teacher, p35, p36, id_f_est, oper, u_date, KEL_User, "
                             "KEL_Update, primech, dopusk_izm) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)",
                             {random.bounded(60) == 0 ? QVariant(1) : QVariant(), group, m,
                              c.examination, mark, c.discipline + 1, s, teacher,
                              paper ? QVariant() : QVariant(QString::number(sheet)),
                              QDateTime(day, QTime(0, 0)), paper ? 2 : 1, QString::number(demo),
                              QDateTime(day.addDays(1), QTime(9, 30)),
                              QLatin1String(DemoNames::User), day.addDays(1), QStringLiteral("д")});
                    }
                }
            }
        }
    }
    // A sheet number for the direction form is the row's own number.
    exec("UPDATE mark_mag SET p35 = CAST(id_mark_mag AS TEXT) WHERE id_f_est = 2");
    // That update counts as the owner's change; the rows were the demo user's.
    exec("UPDATE mark_mag SET oper = ?, KEL_User = ?, "
         "u_date = strftime('%Y-%m-%d 09:30:00', p36, '+1 day'), "
         "KEL_Update = date(p36, '+1 day') WHERE id_f_est = 2",
         {QString::number(demo), QLatin1String(DemoNames::User)});
    server.commit();
}

} // namespace tools
