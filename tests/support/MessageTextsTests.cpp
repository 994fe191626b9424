// The built-in message texts and the object model's message access.
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "support/LanguageManager.h"
#include "support/MessageTexts.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TnvQBLanguageManager *m = nvQBLanguageManager();
        m->SetCurrentLanguageIndex(-1);
        while (m->GetLanguagesCount() > 9)
            m->DeleteLanguage(m->GetLanguagesCount() - 1);
    }
};

} // namespace

TEST(MessageTexts, EveryBuiltInText)
{
    const struct {
        const TnvResString &Res;
        int Id;
        const char *Text;
    } expected[] = {
        {nvQBBadObjectName, 65520, "Invalid object name"},
        {nvQBBadFieldName, 65521, "Invalid field name: %s"},
        {nvQBBadSelectStatement, 65522, "Invalid SELECT statement."},
        {nvQBBadFromObjectExpression, 65523, "Invalid FROM object expression"},
        {nvQBUnexpectedTokenAt, 65524, " Unexpected token \"%s\" at line %d, pos %d"},
        {nvQBErrorUnknownError, 65525, "Unknown error"},
        {nvQBErrorExecQuery, 65526, "Error executing query:\r%s\rMessage:\r%s"},
        {nvQBErrorBadXML, 65527, "Error parsing XML: %s"},
        {nvQBErrorBadXMLTagNotFound, 65528, "Bad XML file: tag \"%s\" not found."},
        {nvQBCantSelectExpression, 65529, "This expression is not selectable"},
        {nvQBNoSyntaxProvider, 65530, "Syntax provider is not specified"},
        {nvQBNoMetadataProvider, 65531, "Metadata provider is not specified"},
        {nvQBNoConnectionObject, 65532, "Connection object is not specified (property %s is not assigned)"},
        {nvQBNoTransactionObject, 65533, "Transaction object is not specified (property %s is not assigned)"},
        {nvQBDialectDontSupportUnions, 65534, "The server doesn't support unions."},
        {nvQBDialectDontSupportUnionsInSubQueries, 65535, "The server doesn't support unions in sub-queries."},
        {nvQBDialectDontSupportUnionsBrackets, 65504, "The server doesn't support brackets in unions."},
        {nvQBDialectDontSupportUnionsBracketsInSubQuery, 65505,
         "The server doesn't support brackets in unions in sub-queries."},
        {nvQBMetadataProviderCantExecSQL, 65506, "Executing SQL queries is not supported by this metadata provider."},
        {nvQBMetaProviderCantLoadMetadata, 65507,
         "Automatic loading of metadata is not supported by this metadata provider"},
        {nvQBMetaProviderCantLoadMetadataForDatabase, 65508,
         "Automatic loading of metadata is not supported for database %s by this metadata provider"},
        {nvQBDialectDontSupportDatabases, 65509,
         "The server doesn't support queries with objects from different databases."},
        {nvQBDialectDontSupportSchemas, 65510, "The server doesn't support schemas."},
        {nvQBRemove, 65511, "Remove"},
        {nvQBEdit, 65512, "Edit..."},
        {nvQBSwitchToDerivedTable, 65513, "Switch to derived table"},
        {nvQBAftofitHeight, 65514, "Autofit Object Height"},
        {nvQBAbout, 65515, "About Norvane Query Builder..."},
        {nvQBMainQuery, 65516, "Main"},
        {nvQBInsertSubQuery, 65517, "Insert Sub-Query"},
        {nvMoveBackward, 65518, "Move Backward"},
        {nvMoveForward, 65519, "Move Forward"},
        {nvAddObject, 65488, "Add Object"},
        {nvAddSubQuery, 65489, "Add Derived Table"},
        {nvUnionSubMenu, 65490, "Union"},
        {nvQBNewUnionSubQuery, 65491, "New Union Sub-Query"},
        {nvQBEncloseInBrackets, 65492, "Enclose In Brackets"},
        {nvQBRemoveBrackets, 65493, "Remove Brackets"},
        {nvQBGCSelect, 65494, "Output"},
        {nvQBGCExpression, 65495, "Expression"},
        {nvQBGCAlias, 65496, "Alias"},
        {nvQBGCSortType, 65497, "Sort Type"},
        {nvQBGCSortOrder, 65498, "Sort Order"},
        {nvQBGCGroupBy, 65499, "Group By"},
        {nvQBGCCriteria, 65500, "Criteria"},
        {nvQBGCOr, 65501, "Or..."},
        {nvQBSortTypeAscending, 65502, "Ascending"},
        {nvQBSortTypeDescending, 65503, "Descending"},
        {nvQBMoveUp, 65472, "Move Up"},
        {nvQBMoveDown, 65473, "Move Down"},
        {nvQBRemoveItem, 65474, "Remove Item"},
        {nvQBInsertEmtyItem, 65475, "Insert Empty Item"},
        {nvQBEditSubMenu, 65476, "Edit"},
        {nvQBCut, 65477, "Cut"},
        {nvQBCopy, 65478, "Copy"},
        {nvQBPaste, 65479, "Paste"},
        {nvQBSelectAll, 65480, "Select All"},
        {nvQBAllObjects, 65481, "(All objects)"},
    };
    ASSERT_EQ(std::size(expected), 58u);
    ASSERT_EQ(std::size(nvQBResStrings), 58u);
    QSet<int> ids;
    QSet<QByteArray> keys;
    for (const auto &e : expected) {
        SCOPED_TRACE(e.Res.Key);
        EXPECT_EQ(e.Res.Identifier, e.Id);
        EXPECT_EQ(LoadResString(e.Res), QString::fromLatin1(e.Text));
        ids.insert(e.Res.Identifier);
        keys.insert(e.Res.Key);
        // Each identifier lies in one of the four blocks of the string table.
        EXPECT_TRUE(e.Id >= 65472 && e.Id <= 65535 && !(e.Id >= 65482 && e.Id <= 65487));
    }
    EXPECT_EQ(ids.size(), 58);
    EXPECT_EQ(keys.size(), 58);
    for (const TnvResString *res : nvQBResStrings)
        EXPECT_TRUE(keys.contains(res->Key)) << res->Key;
}

TEST_F(MessagesTest, WithoutALanguageTheBuiltInTextStands)
{
    EXPECT_EQ(nvQBMessage(nvQBUnexpectedTokenAt), " Unexpected token \"%s\" at line %d, pos %d");
    EXPECT_EQ(nvQBMessage(nvQBBadSelectStatement), "Invalid SELECT statement.");
    EXPECT_EQ(nvQBMessage("nvQBFields", "Fields"), "Fields");
    EXPECT_EQ(QueryBuilderLocalizer()->GetSectionName(), "Norvane Query Builder");
}

TEST_F(MessagesTest, TheEnglishTextDiffersSlightlyFromTheBuiltInTexts)
{
    nvQBLanguageManager()->SetCurrentLanguageIndex(0);
    EXPECT_EQ(nvQBMessage(nvQBUnexpectedTokenAt), "Unexpected token \"%s\" at line %d, pos %d");
    EXPECT_EQ(nvQBMessage(nvQBBadSelectStatement), "Invalid SELECT statement");
    EXPECT_EQ(nvQBMessage(nvQBErrorExecQuery), "Error executing query:\r\n%s\r\nMessage:\r\n%s");
    EXPECT_EQ(nvQBFormatMessage(nvQBErrorExecQuery, {"SELECT 1", "boom"}),
              "Error executing query:\r\nSELECT 1\r\nMessage:\r\nboom");
    EXPECT_EQ(nvQBMessage("nvQBObjectTypeSynonym", "x"), "Synonym");
    // Every other message reads as its built-in text.
    for (const TnvResString *res : nvQBResStrings) {
        if (res == &nvQBUnexpectedTokenAt || res == &nvQBBadSelectStatement || res == &nvQBErrorExecQuery)
            continue;
        EXPECT_EQ(nvQBMessage(*res), LoadResString(*res)) << res->Key;
    }
}

TEST_F(MessagesTest, ATranslationThatDoesNotFitItsArgumentsFallsBack)
{
    const qsizetype i = nvQBLanguageManager()->AddLanguageFromString(
        "Broken", "[Norvane Query Builder]\r\n"
                  "nvQBBadFieldName=Feld %d %s %s\r\n"
                  "nvQBUnexpectedTokenAt=Zeichen \"%s\" in Zeile %d, Spalte %d\r\n");
    nvQBLanguageManager()->SetCurrentLanguageIndex(i);
    EXPECT_EQ(nvQBFormatMessage(nvQBBadFieldName, {"NAME"}), "Invalid field name: NAME");
    EXPECT_EQ(nvQBFormatMessage(nvQBUnexpectedTokenAt, {"FROM", 3, 14}), "Zeichen \"FROM\" in Zeile 3, Spalte 14");

    nvQBLanguageManager()->SetCurrentLanguageIndex(8);
    EXPECT_EQ(nvQBFormatMessage(nvQBBadFieldName, {"X"}), QString::fromUtf8("Неверное имя поля: X"));
}
