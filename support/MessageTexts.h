#pragma once
// The library's built-in texts for messages, menu items and grid captions.
// Each one is the default of the key of the same name in the message section
// "Norvane Query Builder" of a language text; code reads them through the object
// model's localizer (sqlmodel/ModelMessages.h), which falls back to these texts
// when no language is current or the language lacks the key.
#include <QString>

namespace nvqb {

struct TnvResString {
    const char *Key;
    int Identifier;
    const char *Text;
};

inline constexpr TnvResString nvQBBadObjectName{"nvQBBadObjectName", 65520, "Invalid object name"};
inline constexpr TnvResString nvQBBadFieldName{"nvQBBadFieldName", 65521, "Invalid field name: %s"};
inline constexpr TnvResString nvQBBadSelectStatement{"nvQBBadSelectStatement", 65522, "Invalid SELECT statement."};
inline constexpr TnvResString nvQBBadFromObjectExpression{"nvQBBadFromObjectExpression", 65523, "Invalid FROM object expression"};
inline constexpr TnvResString nvQBUnexpectedTokenAt{"nvQBUnexpectedTokenAt", 65524, " Unexpected token \"%s\" at line %d, pos %d"};
inline constexpr TnvResString nvQBErrorUnknownError{"nvQBErrorUnknownError", 65525, "Unknown error"};
inline constexpr TnvResString nvQBErrorExecQuery{"nvQBErrorExecQuery", 65526, "Error executing query:\r%s\rMessage:\r%s"};
inline constexpr TnvResString nvQBErrorBadXML{"nvQBErrorBadXML", 65527, "Error parsing XML: %s"};
inline constexpr TnvResString nvQBErrorBadXMLTagNotFound{"nvQBErrorBadXMLTagNotFound", 65528, "Bad XML file: tag \"%s\" not found."};
inline constexpr TnvResString nvQBCantSelectExpression{"nvQBCantSelectExpression", 65529, "This expression is not selectable"};
inline constexpr TnvResString nvQBNoSyntaxProvider{"nvQBNoSyntaxProvider", 65530, "Syntax provider is not specified"};
inline constexpr TnvResString nvQBNoMetadataProvider{"nvQBNoMetadataProvider", 65531, "Metadata provider is not specified"};
inline constexpr TnvResString nvQBNoConnectionObject{"nvQBNoConnectionObject", 65532, "Connection object is not specified (property %s is not assigned)"};
inline constexpr TnvResString nvQBNoTransactionObject{"nvQBNoTransactionObject", 65533, "Transaction object is not specified (property %s is not assigned)"};
inline constexpr TnvResString nvQBDialectDontSupportUnions{"nvQBDialectDontSupportUnions", 65534, "The server doesn't support unions."};
inline constexpr TnvResString nvQBDialectDontSupportUnionsInSubQueries{"nvQBDialectDontSupportUnionsInSubQueries", 65535, "The server doesn't support unions in sub-queries."};
inline constexpr TnvResString nvQBDialectDontSupportUnionsBrackets{"nvQBDialectDontSupportUnionsBrackets", 65504, "The server doesn't support brackets in unions."};
inline constexpr TnvResString nvQBDialectDontSupportUnionsBracketsInSubQuery{"nvQBDialectDontSupportUnionsBracketsInSubQuery", 65505, "The server doesn't support brackets in unions in sub-queries."};
inline constexpr TnvResString nvQBMetadataProviderCantExecSQL{"nvQBMetadataProviderCantExecSQL", 65506, "Executing SQL queries is not supported by this metadata provider."};
inline constexpr TnvResString nvQBMetaProviderCantLoadMetadata{"nvQBMetaProviderCantLoadMetadata", 65507, "Automatic loading of metadata is not supported by this metadata provider"};
inline constexpr TnvResString nvQBMetaProviderCantLoadMetadataForDatabase{"nvQBMetaProviderCantLoadMetadataForDatabase", 65508, "Automatic loading of metadata is not supported for database %s by this metadata provider"};
inline constexpr TnvResString nvQBDialectDontSupportDatabases{"nvQBDialectDontSupportDatabases", 65509, "The server doesn't support queries with objects from different databases."};
inline constexpr TnvResString nvQBDialectDontSupportSchemas{"nvQBDialectDontSupportSchemas", 65510, "The server doesn't support schemas."};
inline constexpr TnvResString nvQBRemove{"nvQBRemove", 65511, "Remove"};
inline constexpr TnvResString nvQBEdit{"nvQBEdit", 65512, "Edit..."};
inline constexpr TnvResString nvQBSwitchToDerivedTable{"nvQBSwitchToDerivedTable", 65513, "Switch to derived table"};
inline constexpr TnvResString nvQBAftofitHeight{"nvQBAftofitHeight", 65514, "Autofit Object Height"};
inline constexpr TnvResString nvQBAbout{"nvQBAbout", 65515, "About Norvane Query Builder..."};
inline constexpr TnvResString nvQBMainQuery{"nvQBMainQuery", 65516, "Main"};
inline constexpr TnvResString nvQBInsertSubQuery{"nvQBInsertSubQuery", 65517, "Insert Sub-Query"};
inline constexpr TnvResString nvMoveBackward{"nvMoveBackward", 65518, "Move Backward"};
inline constexpr TnvResString nvMoveForward{"nvMoveForward", 65519, "Move Forward"};
inline constexpr TnvResString nvAddObject{"nvAddObject", 65488, "Add Object"};
inline constexpr TnvResString nvAddSubQuery{"nvAddSubQuery", 65489, "Add Derived Table"};
inline constexpr TnvResString nvUnionSubMenu{"nvUnionSubMenu", 65490, "Union"};
inline constexpr TnvResString nvQBNewUnionSubQuery{"nvQBNewUnionSubQuery", 65491, "New Union Sub-Query"};
inline constexpr TnvResString nvQBEncloseInBrackets{"nvQBEncloseInBrackets", 65492, "Enclose In Brackets"};
inline constexpr TnvResString nvQBRemoveBrackets{"nvQBRemoveBrackets", 65493, "Remove Brackets"};
inline constexpr TnvResString nvQBGCSelect{"nvQBGCSelect", 65494, "Output"};
inline constexpr TnvResString nvQBGCExpression{"nvQBGCExpression", 65495, "Expression"};
inline constexpr TnvResString nvQBGCAlias{"nvQBGCAlias", 65496, "Alias"};
inline constexpr TnvResString nvQBGCSortType{"nvQBGCSortType", 65497, "Sort Type"};
inline constexpr TnvResString nvQBGCSortOrder{"nvQBGCSortOrder", 65498, "Sort Order"};
inline constexpr TnvResString nvQBGCGroupBy{"nvQBGCGroupBy", 65499, "Group By"};
inline constexpr TnvResString nvQBGCCriteria{"nvQBGCCriteria", 65500, "Criteria"};
inline constexpr TnvResString nvQBGCOr{"nvQBGCOr", 65501, "Or..."};
inline constexpr TnvResString nvQBSortTypeAscending{"nvQBSortTypeAscending", 65502, "Ascending"};
inline constexpr TnvResString nvQBSortTypeDescending{"nvQBSortTypeDescending", 65503, "Descending"};
inline constexpr TnvResString nvQBMoveUp{"nvQBMoveUp", 65472, "Move Up"};
inline constexpr TnvResString nvQBMoveDown{"nvQBMoveDown", 65473, "Move Down"};
inline constexpr TnvResString nvQBRemoveItem{"nvQBRemoveItem", 65474, "Remove Item"};
inline constexpr TnvResString nvQBInsertEmtyItem{"nvQBInsertEmtyItem", 65475, "Insert Empty Item"};
inline constexpr TnvResString nvQBEditSubMenu{"nvQBEditSubMenu", 65476, "Edit"};
inline constexpr TnvResString nvQBCut{"nvQBCut", 65477, "Cut"};
inline constexpr TnvResString nvQBCopy{"nvQBCopy", 65478, "Copy"};
inline constexpr TnvResString nvQBPaste{"nvQBPaste", 65479, "Paste"};
inline constexpr TnvResString nvQBSelectAll{"nvQBSelectAll", 65480, "Select All"};
inline constexpr TnvResString nvQBAllObjects{"nvQBAllObjects", 65481, "(All objects)"};

// Every built-in text in declaration order, so a language text can be checked
// for completeness.
inline constexpr const TnvResString *nvQBResStrings[] = {
    &nvQBBadObjectName,
    &nvQBBadFieldName,
    &nvQBBadSelectStatement,
    &nvQBBadFromObjectExpression,
    &nvQBUnexpectedTokenAt,
    &nvQBErrorUnknownError,
    &nvQBErrorExecQuery,
    &nvQBErrorBadXML,
    &nvQBErrorBadXMLTagNotFound,
    &nvQBCantSelectExpression,
    &nvQBNoSyntaxProvider,
    &nvQBNoMetadataProvider,
    &nvQBNoConnectionObject,
    &nvQBNoTransactionObject,
    &nvQBDialectDontSupportUnions,
    &nvQBDialectDontSupportUnionsInSubQueries,
    &nvQBDialectDontSupportUnionsBrackets,
    &nvQBDialectDontSupportUnionsBracketsInSubQuery,
    &nvQBMetadataProviderCantExecSQL,
    &nvQBMetaProviderCantLoadMetadata,
    &nvQBMetaProviderCantLoadMetadataForDatabase,
    &nvQBDialectDontSupportDatabases,
    &nvQBDialectDontSupportSchemas,
    &nvQBRemove,
    &nvQBEdit,
    &nvQBSwitchToDerivedTable,
    &nvQBAftofitHeight,
    &nvQBAbout,
    &nvQBMainQuery,
    &nvQBInsertSubQuery,
    &nvMoveBackward,
    &nvMoveForward,
    &nvAddObject,
    &nvAddSubQuery,
    &nvUnionSubMenu,
    &nvQBNewUnionSubQuery,
    &nvQBEncloseInBrackets,
    &nvQBRemoveBrackets,
    &nvQBGCSelect,
    &nvQBGCExpression,
    &nvQBGCAlias,
    &nvQBGCSortType,
    &nvQBGCSortOrder,
    &nvQBGCGroupBy,
    &nvQBGCCriteria,
    &nvQBGCOr,
    &nvQBSortTypeAscending,
    &nvQBSortTypeDescending,
    &nvQBMoveUp,
    &nvQBMoveDown,
    &nvQBRemoveItem,
    &nvQBInsertEmtyItem,
    &nvQBEditSubMenu,
    &nvQBCut,
    &nvQBCopy,
    &nvQBPaste,
    &nvQBSelectAll,
    &nvQBAllObjects};

// The built-in text of a message.
QString LoadResString(const TnvResString &res);

} // namespace nvqb
