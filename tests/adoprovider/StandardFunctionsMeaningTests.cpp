// The standard functions whose names are keywords, run on the database as
// written and as the query model prints them after loading them: both give
// the same rows. Each runs where the server has it (SQLite lacks the special
// forms of TRIM, POSITION and EXTRACT, the length functions and the user
// functions; PostgreSQL has SYSTEM_USER from version 16).
#include "ModelOverDatabaseTest.h"
#include "adoprovider/OdbcDataset.h"

using namespace nvqb;
using namespace nvqb::test;

namespace {

class StandardFunctionsMeaningTest : public ModelOverDatabaseTest {
protected:
    QStringList SchemaStatements() override
    {
        return {
            "create table c (id integer, name varchar(30), city varchar(30), qty integer, placed date)",
            "insert into c values (1, '  Ann ', 'berlin', 5, '2001-02-03'), (2, 'bob', 'Paris', null, '2002-12-31'), "
            "(3, 'xox', null, 0, '2003-07-04'), (4, null, 'Oslo', 7, null)",
        };
    }

    QList<std::pair<QString, QStringList>> ModelTables() const override
    {
        return {{"c", {"id", "name", "city", "qty", "placed"}}};
    }

    // Every row as its values joined by "|", null as "<null>".
    QStringList Rows(const QString &sql)
    {
        auto ds = Create<TADODataSet>(nullptr);
        ds->SetConnection(Connection.get());
        ds->SetCommandText(sql);
        ds->Open();
        QStringList rows;
        for (; !ds->Eof(); ds->Next()) {
            QStringList values;
            for (qsizetype i = 0; i < ds->FieldCount(); ++i)
                values.append(ds->Fields(i)->IsNull() ? QStringLiteral("<null>") : ds->Fields(i)->AsWideString());
            rows.append(values.join(u'|'));
        }
        return rows;
    }

    bool ServerHasSystemUser()
    {
        const QStringList version = Rows(QStringLiteral("show server_version_num"));
        return !version.isEmpty() && version.first().toInt() >= 160000;
    }
};

} // namespace

TEST_P(StandardFunctionsMeaningTest, RowsAreTheSameAsWrittenAndAsTheModelPrintsThem)
{
    // Each statement with the printed spelling of its function.
    QList<std::pair<QString, QString>> statements = {
        {"select c.id, upper(c.city), lower(c.city) from c order by c.id", "Upper(c.city), Lower(c.city)"},
        {"select c.id, coalesce(c.qty, 0), coalesce(c.city, c.name, '?') from c order by c.id",
         "Coalesce(c.city, c.name, '?')"},
        {"select c.id, nullif(c.qty, 0) from c order by c.id", "Nullif(c.qty, 0)"},
        {"select c.id, trim(c.name) from c order by c.id", "Trim(c.name)"},
        {"select c.id from c where upper(c.city) = upper('PARIS') or coalesce(c.qty, 0) = 0 order by c.id",
         "Upper(c.city) = Upper('PARIS')"},
        {"select c.id from c where c.placed < current_date and current_time is not null and "
         "current_timestamp is not null order by c.id",
         "Current_Date"},
    };
    if (IsPostgres()) {
        statements += {
            {"select c.id, trim(both ' ' from c.name), trim(leading 'x' from c.name), trim(trailing from c.name), "
             "trim(from c.name), trim('x' from c.name) from c order by c.id",
             "Trim(Both ' ' From c.name), Trim(Leading 'x' From c.name), Trim(Trailing From c.name), "
             "Trim(From c.name), Trim('x' From c.name)"},
            {"select c.id, position('o' in c.name) from c order by c.id", "Position('o' In c.name)"},
            {"select c.id, extract(year from c.placed), extract(month from c.placed), extract(day from c.placed) "
             "from c order by c.id",
             "Extract(Year From c.placed)"},
            {"select c.id, char_length(c.name), character_length(c.name), octet_length(c.name), bit_length(c.name) "
             "from c order by c.id",
             "Char_Length(c.name), Character_Length(c.name), Octet_Length(c.name), Bit_Length(c.name)"},
            {"select c.id, current_user, session_user, user from c order by c.id", "Current_User, Session_User, User"},
        };
        if (ServerHasSystemUser())
            statements += {{"select c.id, system_user from c order by c.id", "system_user"}};
    }
    for (const auto &[sql, spelling] : statements) {
        SCOPED_TRACE(sql.toStdString());
        const QStringList written = Rows(sql);
        ASSERT_FALSE(written.isEmpty());
        const QString printed = Load(sql);
        EXPECT_TRUE(printed.contains(spelling)) << printed.toStdString();
        EXPECT_EQ(Rows(printed), written) << printed.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, StandardFunctionsMeaningTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);
