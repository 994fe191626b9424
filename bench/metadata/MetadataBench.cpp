// Speed of the metadata model at catalogue size: a container of 10,000
// tables with 20 fields each and 10,000 relations is saved to an XML file
// and loaded back, and 1,000,000 qualified names are resolved against it
// (half of them through the default schema). Prints one line per figure.
#include "../BenchCommandLine.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace nvqb;

namespace {

constexpr int Tables = 10000;
constexpr int FieldsPerTable = 20;
constexpr int Lookups = 1000000;

double Ms(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

TOwned<TastTokenIdentifier> Id(TnvBaseSyntaxProvider *p, const QString &text)
{
    return Create<TastTokenIdentifier>(p, text, false);
}

void Fill(TnvMetadataContainer *container, TnvBaseSyntaxProvider *p)
{
    TnvUpdateScope scope(container);
    auto schema = Id(p, QStringLiteral("dbo"));
    auto database = Create<TSQLQualifiedName>(p);
    database->AddName(QStringLiteral("db1"), false);
    container->SetDefaultDatabaseName(database.get());
    container->DefaultSchemaNames()->Add()->SetText(QStringLiteral("dbo"));
    for (int t = 0; t < Tables; ++t) {
        auto name = Id(p, QStringLiteral("TABLE_%1").arg(t, 5, 10, QLatin1Char('0')));
        TnvMetadataObject *table = container->AddTable(schema.get(), name.get(), false, database.get());
        TnvMetadataFieldsList *fields = table->GetFields();
        for (int f = 0; f < FieldsPerTable; ++f) {
            auto fieldName = Create<TSQLQualifiedName>(p);
            fieldName->AddName(QStringLiteral("COLUMN_%1").arg(f, 2, 10, QLatin1Char('0')), false);
            fields->AddField(fieldName.get(), f == 0 ? ftInteger : ftWideString, f == 0 ? 0 : 50, f != 0, false);
        }
        fields->Items(0)->SetPrimaryKey(true);
        fields->SetLoaded(true);
        // Each table refers to the next one.
        auto keys = Create<TnvMetadataFieldNamesList>(nullptr);
        keys->SetSyntaxProvider(p);
        keys->AddField(QStringLiteral("COLUMN_01"), false);
        auto children = Create<TnvMetadataFieldNamesList>(nullptr);
        children->SetSyntaxProvider(p);
        children->AddField(QStringLiteral("COLUMN_00"), false);
        auto child = Id(p, QStringLiteral("TABLE_%1").arg((t + 1) % Tables, 5, 10, QLatin1Char('0')));
        table->GetRelations()->AddRelation(keys.get(), child.get(), schema.get(), database.get(), children.get());
    }
}

} // namespace

int main(int argc, char **argv)
{
    bench::TCommandLine line(argc, argv, "nvqb-metadata-bench", "(no options)");
    while (line.Next())
        line.Unexpected();
    QCoreApplication app(argc, argv);
    TnvBaseSyntaxProvider provider(nullptr);
    TnvBaseSyntaxProvider *p = &provider;

    QElapsedTimer timer;
    TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
    container->SetSyntaxProvider(p);
    timer.start();
    Fill(container.get(), p);
    std::printf("build %d tables x %d fields + %d relations: %.1f ms\n", Tables, FieldsPerTable, Tables, Ms(timer));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("metadata.xml"));
    timer.restart();
    container->SaveToXMLFile(file);
    std::printf("save to XML file: %.1f ms (%lld bytes)\n", Ms(timer), QFileInfo(file).size());

    TOwned<TnvMetadataContainer> loaded = Create<TnvMetadataContainer>(nullptr);
    loaded->SetSyntaxProvider(p);
    timer.restart();
    loaded->LoadFromXMLFile(file);
    std::printf("load from XML file: %.1f ms (%lld objects)\n", Ms(timer), qlonglong(loaded->Count()));

    timer.restart();
    const QString text = loaded->GetXML();
    std::printf("GetXML text: %.1f ms\n", Ms(timer));
    timer.restart();
    container->LoadFromXML(text);
    std::printf("LoadFromXML text: %.1f ms\n", Ms(timer));

    // Names as a query writes them: bare (resolved through the default
    // database and schema) and with the schema.
    std::vector<TOwned<TSQLQualifiedName>> names;
    for (int t = 0; t < Tables; ++t) {
        auto name = Create<TSQLQualifiedName>(p);
        name->AddName(QStringLiteral("table_%1").arg(t, 5, 10, QLatin1Char('0')), false);
        if (t % 2)
            name->AddPrefix(QStringLiteral("dbo"), false);
        names.push_back(std::move(name));
    }
    timer.restart();
    int found = 0;
    for (int i = 0; i < Lookups; ++i)
        found += loaded->FindObjectByFullName(names[size_t(i % Tables)].get()) != nullptr;
    std::printf("%d look-ups by qualified name: %.1f ms (%d found)\n", Lookups, Ms(timer), found);
    return found == Lookups ? 0 : 1;
}
