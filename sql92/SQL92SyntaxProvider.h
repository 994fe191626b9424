#pragma once
// The built-in dialect component, "ANSI SQL92": the SQL-92 scanner and
// parser, EXCEPT and INTERSECT besides UNION, schemas, and the identifier
// case rule as a setting.
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

class TnvSQL92SyntaxProvider : public TnvBaseSyntaxProvider {
    NV_DECLARE_COMPONENT_CLASS(TnvSQL92SyntaxProvider)
public:
    explicit TnvSQL92SyntaxProvider(TComponent *owner = nullptr);

    // Copies both settings from another SQL-92 provider; any other source is
    // refused as the class library refuses it.
    void Assign(const TPersistent *source) override;

    TnvIdentCaseSensitivity GetIdentCaseSens() const override;
    // A real change tells every subscriber.
    void SetIdentCaseSens(TnvIdentCaseSensitivity value) override;
    // Takes the identifier case rule of the server when the metadata
    // provider can tell it, so that names the server tells apart by case
    // stay apart and are quoted where they need it.
    void ConnectionChanged(TnvBaseMetadataProvider *metadataProvider) override;
    // Read at the next metadata load: the catalogue is then read through the
    // information_schema views when the metadata provider can run SQL.
    bool UseInformationSchema() const { return FUseInformationSchema; }
    void SetUseInformationSchema(bool value) { FUseInformationSchema = value; }

    TnvScannerClass GetScannerClass() const override;
    TnvParserClass GetParserClass() const override;
    void GetUnionOperatorsList(TWideStringList *list) const override;
    void GetComparisonOperators(TWideStringList *list) const override;
    bool IsSupportSchemas() const override { return true; }
    // The link and data-source property dialogs come with the visual
    // builder; until then the base answer (none).
    TClass GetEditPropsFormClass(TObject *node) const override;
    QString ServerName() const override;

    // The same answer as running the identifier grammar over the text, read
    // by the scanner alone: printing asks it for every identifier written.
    bool IsValidIdent(const QString &text) const override;

    // With UseInformationSchema and a metadata provider that runs SQL, the
    // database's own information_schema views answer; where they are missing
    // or cannot be read, the metadata provider does (SQL92InformationSchema.cpp).
    TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseMetadataProvider *metadataProvider) override;
    void LoadMetadataObjects(TnvBaseMetadataProvider *metadataProvider, TnvMetadataFilter *filter,
                             TnvMetadataContainer *container, const TSQLQualifiedName *database) override;
    void LoadMetadataRelations(TnvBaseMetadataProvider *metadataProvider, TnvMetadataFilter *filter,
                               TnvMetadataContainer *container, const TSQLQualifiedName *database) override;
    // The relations query with its database prefix in place. Key columns are
    // paired by their position in the referenced key, or (for servers
    // without that column) by position in both keys. With viewsAsDerivedTables
    // each view is read once into a DISTINCT derived table, which a server
    // does not merge into the outer join (PostgreSQL otherwise joins its
    // key-column view to itself row by row: minutes for a few thousand keys);
    // the columns and rows are the same.
    static QString InformationSchemaRelationsSQL(const QString &prefix, bool pairByUniquePosition,
                                                 bool viewsAsDerivedTables = false);

private:
    bool CanUseInformationSchema(TnvBaseMetadataProvider *metadataProvider) const;
    // The prefix ("db.") and, for objects, the catalogue filter for loading
    // another database than the server's default; both empty otherwise.
    void DatabasePrefix(TnvBaseMetadataProvider *metadataProvider, const TSQLQualifiedName *database,
                        QString &prefix, QString &filter);

    TnvIdentCaseSensitivity FIdentCaseSens = icsNonSensitive;
    bool FUseInformationSchema = false;
};

} // namespace nvqb
