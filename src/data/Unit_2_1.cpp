// The data module's objects: statements, parameters, persistent fields and their wiring.
#include "data/Unit_2_1.h"

#include "embedded/EmbeddedServer.h"
#include "embedded/JournalColumns.h"

TDM_TAZ_2* DM_TAZ_2 = nullptr;

namespace {

using db::FieldDef;
using db::FieldKind;
using db::FieldType;

FieldDef dataField(const char* name, FieldType type, int size = 0) {
    FieldDef def;
    def.name = QString::fromLatin1(name);
    def.type = type;
    def.size = size;
    def.readOnly = type == FieldType::AutoInc;
    return def;
}

FieldDef lookupField(const char* name, int size, db::DataSet& lookup, const char* lookupKey,
                     const char* result, const char* key) {
    FieldDef def = dataField(name, FieldType::String, size);
    def.kind = FieldKind::Lookup;
    def.lookupDataSet = &lookup;
    def.lookupKeyFields = QString::fromLatin1(lookupKey);
    def.lookupResultField = QString::fromLatin1(result);
    def.keyFields = QString::fromLatin1(key);
    return def;
}

db::Parameter parameter(const char* name, FieldType type, int precision,
                        db::ParameterDirection direction = db::ParameterDirection::Input) {
    db::Parameter p;
    p.name = QString::fromLatin1(name);
    p.type = type;
    p.precision = precision;
    p.direction = direction;
    return p;
}

db::Parameter returnValue() {
    db::Parameter p =
        parameter("@RETURN_VALUE", FieldType::Integer, 10, db::ParameterDirection::ReturnValue);
    p.nullable = false;
    p.value = 0;
    return p;
}

} // namespace

TDM_TAZ_2::TDM_TAZ_2(QObject* parent)
    : QObject(parent) {
    setObjectName(QStringLiteral("DM_TAZ_2"));
    DM_TAZ_2 = this;

    // An embedded file is served by the embedded server, anything else as before.
    ADO_TAZ.setDriverFactory(embedded::driverFactory());
    for (db::DataSet* ds : {&ADOQ_group,           &ADOQ_g_sem,     &ADOQ_Discipline,
                            &ADOQ_Vremennyi,       &ADOQ_g_s,       &ADOQ_Year,
                            &ADOQ_t_fio,           &ADOQ_s_fio,     &ADOQ_estimation,
                            &ADOTSemestr,          &ADOT_f_est,     &ADOQ_Examination,
                            &ADOQ_EstimationOther, &ADO_SP_Sort,    &ADOQ_Buffer,
                            &ADOQ_del_discipline,  &ADOStoredProc1, &ADOQ_Exec,
                            &ADOQ_Students,        &ADOQEduc_sh,    &ADOQuery1})
        ds->setConnection(&ADO_TAZ);

    DS_group.setDataSet(&ADOQ_group);
    DS_g_sem.setDataSet(&ADOQ_g_sem);
    DS_discipline.setDataSet(&ADOQ_Discipline);
    DataSource2.setDataSet(&ADOQ_Vremennyi);
    DS_SP_Sort.setDataSet(&ADO_SP_Sort);
    DS_Buffer.setDataSet(&ADOQ_Buffer);
    DS_Students.setDataSet(&ADOQ_Students);

    setUpStatements();
    setUpParameters();
    setUpJournalFields();
    setUpBufferFields();
    setUpHandlers();
}

TDM_TAZ_2::~TDM_TAZ_2() {
    DataModuleDestroy();
    if (DM_TAZ_2 == this)
        DM_TAZ_2 = nullptr;
}

void TDM_TAZ_2::DataModuleDestroy() {
    ADO_TAZ.close();
}

void TDM_TAZ_2::setUpStatements() {
    ADOQ_g_sem.setSql(QStringLiteral("select * from g_sem "));
    ADOQ_t_fio.setSql(QStringLiteral("select * from t_fio"));
    ADOQ_s_fio.setSql(QStringLiteral("select * from s_fio"));
    ADOQ_estimation.setSql(QStringLiteral("select * from estimation"));
    ADOTSemestr.setTableName(QStringLiteral("semester"));
    ADOT_f_est.setTableName(QStringLiteral("f_est"));
    ADOQ_Examination.setSql(QStringLiteral("select * from examination"));
    ADOQ_EstimationOther.setSql(
        QStringLiteral("SELECT EstimationOther.* \r\n"
                       "FROM EstimationOther, com_sfe\r\n"
                       "WHERE EstimationOther.id_ebe_var = com_sfe.id_ebe_var AND\r\n"
                       "             com_sfe.id_speciality=:id_speciality"));
    ADO_SP_Sort.setProcedureName(QStringLiteral("SORT_MARK_MAG;1"));
    ADO_SP_Sort.setCommandTimeout(120);
    ADOQ_del_discipline.setSql(QStringLiteral("select * from discipline"));
    ADOStoredProc1.setProcedureName(QStringLiteral("CTRL_Z_Mark_mag;1"));
    ADOQEduc_sh.setSql(QStringLiteral("select top 0 * from educ_sh"));
    ADOQuery1.setSql(QStringLiteral("select * from discipline"));

    ADO_SP_Sort.setUpdateTable(QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"));
    ADOQ_Students.setUpdateTable(QStringLiteral("s_fio"), QStringLiteral("id_student"));
    ADOQ_Buffer.setUpdateTable(QStringLiteral("DEL_mark_mag"), QStringLiteral("id_mark_mag"));
}

void TDM_TAZ_2::setUpParameters() {
    if (ADOQ_EstimationOther.parameters().find(QStringLiteral("id_speciality")) == nullptr)
        ADOQ_EstimationOther.parameters().add(parameter("id_speciality", FieldType::Integer, 10));

    db::Parameters& sort = ADO_SP_Sort.parameters();
    sort.clear();
    sort.add(returnValue());
    for (const char* name : {"@group", "@semester", "@discipline", "@examination"})
        sort.add(parameter(name, FieldType::Integer, 10));
    sort.add(parameter("@id_teacher", FieldType::Integer, 0));
    sort.add(parameter("@DoNotShow", FieldType::Memo, 0));

    db::Parameters& restore = ADOStoredProc1.parameters();
    restore.clear();
    restore.add(returnValue());
    restore.add(parameter("@group", FieldType::Integer, 10));
    restore.add(parameter("@semester", FieldType::Integer, 10));
}

void TDM_TAZ_2::setUpJournalFields() {
    db::DataSet& j = ADO_SP_Sort;
    j.clearFieldDefs();
    // The stored columns in their order, with the shown fields placed among them.
    const auto placeBefore = [&](const char* column) {
        const QLatin1String name(column);
        if (name == QLatin1String("id_estimation_other")) {
            j.addFieldDef(lookupField("EstimationOther", 10, ADOQ_EstimationOther,
                                      "id_estimation_other", "Estimation_Other",
                                      "id_estimation_other"));
        } else if (name == QLatin1String("KEL_User")) {
            j.addFieldDef(lookupField("estimation", 30, ADOQ_estimation, "id_estimation", "p31",
                                      "id_estimation"));
            j.addFieldDef(
                lookupField("semestr", 30, ADOTSemestr, "id_semester", "p43", "id_semester"));
            j.addFieldDef(
                lookupField("teacher", 60, ADOQ_t_fio, "id_teacher", "t_fio", "id_teacher"));
            j.addFieldDef(lookupField("f_est", 30, ADOT_f_est, "id_f_e", "p109", "id_f_est"));
            j.addFieldDef(lookupField("exam", 30, ADOQ_Examination, "id_examination", "p30",
                                      "id_examination"));
            j.addFieldDef(lookupField("discipline", 90, ADOQ_Discipline, "id_discipline", "p34",
                                      "id_discipline"));
            j.addFieldDef(
                lookupField("student", 70, ADOQ_s_fio, "id_student", "s_fio", "id_student"));
            FieldDef number = dataField("No", FieldType::Integer);
            number.kind = FieldKind::Calculated;
            j.addFieldDef(number);
        } else if (name == QLatin1String("dopusk_izm")) {
            j.addFieldDef(lookupField("idid", 20, ADOQ_s_fio, "id_student", "idid", "id_student"));
        }
    };
    for (const embedded::JournalColumn& column : embedded::JournalColumns) {
        placeBefore(column.name);
        j.addFieldDef(dataField(column.name, column.type, column.size));
    }
}

void TDM_TAZ_2::setUpBufferFields() {
    db::DataSet& b = ADOQ_Buffer;
    b.clearFieldDefs();
    b.addFieldDef(dataField("id_mark_mag", FieldType::AutoInc));
    for (const char* name : {"id_group", "id_student", "id_examination", "id_estimation",
                             "id_discipline", "id_semester", "id_teacher"})
        b.addFieldDef(dataField(name, FieldType::Integer));
    b.addFieldDef(dataField("p35", FieldType::String, 50));
    b.addFieldDef(dataField("p36", FieldType::DateTime));
    b.addFieldDef(dataField("id_f_est", FieldType::Integer));
    b.addFieldDef(dataField("oper", FieldType::String, 5));
    b.addFieldDef(dataField("u_date", FieldType::DateTime));
    b.addFieldDef(lookupField("semestr", 30, ADOTSemestr, "id_semester", "p43", "id_semester"));
    b.addFieldDef(lookupField("teacher", 60, ADOQ_t_fio, "id_teacher", "t_fio", "id_teacher"));
    b.addFieldDef(lookupField("student", 70, ADOQ_s_fio, "id_student", "s_fio", "id_student"));
    b.addFieldDef(lookupField("discipline", 85, ADOQ_del_discipline, "id_discipline", "p34",
                              "id_discipline"));
    b.addFieldDef(
        lookupField("estimation", 15, ADOQ_estimation, "id_estimation", "p31", "id_estimation"));
    b.addFieldDef(
        lookupField("exam", 15, ADOQ_Discipline, "id_examination", "p30", "id_examination"));
    b.addFieldDef(dataField("Check_ch", FieldType::Boolean));
    b.addFieldDef(lookupField("f_est", 15, ADOT_f_est, "id_f_e", "p109", "id_f_est"));
    b.addFieldDef(dataField("del_oper", FieldType::WideString, 10));
    b.addFieldDef(dataField("del_date", FieldType::DateTime));
}

void TDM_TAZ_2::setUpHandlers() {
    ADO_SP_Sort.beforeOpen = [this](db::DataSet& ds) { ADO_SP_SortBeforeOpen(ds); };
    ADO_SP_Sort.afterOpen = [this](db::DataSet& ds) { ADO_SP_SortAfterOpen(ds); };
    ADO_SP_Sort.beforeInsert = [this](db::DataSet& ds) { ADO_SP_SortBeforeInsert(ds); };
    ADO_SP_Sort.onCalcFields = [this](db::DataSet& ds) { ADO_SP_SortCalcFields(ds); };
    ADO_SP_Sort.beforePost = [this](db::DataSet& ds) { ADO_SP_SortBeforePost(ds); };
    ADO_SP_Sort.afterPost = [this](db::DataSet& ds) { tellWhenSavedDespiteLostLink(ds); };
    ADO_SP_Sort.onPostError = [this](db::DataSet& ds, const db::DatabaseError& e,
                                     db::DataAction& action) {
        ADO_SP_SortPostError(ds, e, action);
    };
    ADOQ_Students.beforeInsert = [this](db::DataSet& ds) { ADOQ_StudentsBeforeInsert(ds); };
    ADOQ_Students.afterPost = [this](db::DataSet& ds) { ADOQ_StudentsAfterPost(ds); };
}
