// The metadata XML document: every metadata class writes its own element
// through a streaming writer (so element and attribute order is fixed), and
// the container reads a whole document in two steps: the text is parsed and
// every value converted into plain records first, and only a document that
// read without error is then turned into objects. A document that fails
// therefore leaves the container as it was. Before Qt's reader sees the
// text, its shape is checked (support/XmlGuard.h): nesting deeper than the
// document has, an element with too many attributes or a document type
// declaration would cost the reader its stack or minutes.
#include "classlib/Exceptions.h"
#include "classlib/Format.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/metadata/XmlText.h"
#include "support/MessageTexts.h"
#include "support/XmlGuard.h"

#include <QDomElement>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <deque>
#include <optional>

namespace nvqb {

namespace {

const QString XsiNamespace = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
const QString SchemaLocation = QStringLiteral("nvqb-metadata.xsd");

void WriteBoolean(QXmlStreamWriter &writer, const QString &tag, bool value)
{
    writer.writeTextElement(tag, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void WriteInteger(QXmlStreamWriter &writer, const QString &tag, int value)
{
    writer.writeTextElement(tag, QString::number(value));
}

void WriteOptionalText(QXmlStreamWriter &writer, const QString &tag, const QString &text)
{
    if (!text.isEmpty())
        WriteXMLTextElement(writer, tag, text);
}

} // namespace

// ---------------------------------------------------------------------------
// Writers

void TnvMetadataField::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    FName->WriteXMLNode(writer, QStringLiteral("name"));
    WriteInteger(writer, QStringLiteral("type"), int(FFieldType));
    if (FSize != 0)
        WriteInteger(writer, QStringLiteral("size"), FSize);
    if (FPrecision != 0)
        WriteInteger(writer, QStringLiteral("precision"), FPrecision);
    if (FPrimaryKey)
        WriteBoolean(writer, QStringLiteral("primary_key"), true);
    if (!FNullable)
        WriteBoolean(writer, QStringLiteral("nullable"), false);
    if (FReadOnly)
        WriteBoolean(writer, QStringLiteral("readonly"), true);
    WriteOptionalText(writer, QStringLiteral("alt_name"), FAltName);
    WriteOptionalText(writer, QStringLiteral("descr"), FShortDescription);
    WriteOptionalText(writer, QStringLiteral("long_descr"), FLongDescription);
    writer.writeEndElement();
}

void TnvMetadataFieldNamesList::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    for (const TOwned<TSQLQualifiedName> &name : FItems)
        name->WriteXMLNode(writer, QStringLiteral("field_name"));
    writer.writeEndElement();
}

void TnvMetadataRelation::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    FKeyFields->WriteXMLNode(writer, QStringLiteral("key_fields"));
    if (FChildDatabase->GetCount() > 0)
        FChildDatabase->WriteXMLNode(writer, QStringLiteral("child_database"));
    if (!FChildSchema->IsEmpty())
        WriteIdentifierXMLNode(writer, QStringLiteral("child_schema"), FChildSchema.get());
    WriteIdentifierXMLNode(writer, QStringLiteral("child_name"), FChildName.get());
    FChildFields->WriteXMLNode(writer, QStringLiteral("child_fields"));
    writer.writeEndElement();
}

void TnvMetadataObject::WriteObjectContent(QXmlStreamWriter &writer) const
{
    if (FDatabase->GetCount() > 0)
        FDatabase->WriteXMLNode(writer, QStringLiteral("database"));
    if (!FSchema->IsEmpty())
        WriteIdentifierXMLNode(writer, QStringLiteral("schema"), FSchema.get());
    WriteIdentifierXMLNode(writer, QStringLiteral("name"), FName.get());
    WriteBoolean(writer, QStringLiteral("system"), FSystem);
    WriteBoolean(writer, QStringLiteral("visible"), FVisible);
    WriteOptionalText(writer, QStringLiteral("descr"), FShortDescription);
    WriteOptionalText(writer, QStringLiteral("long_descr"), FLongDescription);
    // A saved document carries the columns of every object, so fields never
    // asked for are fetched now (for a synonym, those of its target).
    if (!GetFields()->Loaded())
        const_cast<TnvMetadataObject *>(this)->LoadFields();
    FFields->WriteXMLNode(writer, QStringLiteral("fields"));
    if (GetRelations()->Count() > 0)
        FRelations->WriteXMLNode(writer, QStringLiteral("relations"));
}

void TnvMetadataObject::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    WriteObjectContent(writer);
    writer.writeEndElement();
}

void TnvMetadataSynonym::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    WriteObjectContent(writer);
    if (FRefDatabase->GetCount() > 0)
        FRefDatabase->WriteXMLNode(writer, QStringLiteral("ref_database"));
    if (!FRefSchema->IsEmpty())
        WriteIdentifierXMLNode(writer, QStringLiteral("ref_schema"), FRefSchema.get());
    if (!FRefName->IsEmpty())
        WriteIdentifierXMLNode(writer, QStringLiteral("ref_name"), FRefName.get());
    writer.writeEndElement();
}

void TnvMetadataContainer::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    // Writing may load fields, which changes objects: one notification.
    TnvUpdateScope scope(const_cast<TnvMetadataContainer *>(this));
    writer.writeStartElement(tag);
    writer.writeAttribute(QStringLiteral("xmlns:xsi"), XsiNamespace);
    writer.writeAttribute(QStringLiteral("xsi:noNamespaceSchemaLocation"), SchemaLocation);
    if (FDefaultDatabaseName->GetCount() > 0)
        FDefaultDatabaseName->WriteXMLNode(writer, QStringLiteral("default_database"));
    if (FDefaultSchemaNames->GetCount() > 0)
        FDefaultSchemaNames->WriteXMLNode(writer, QStringLiteral("default_schemas"), QStringLiteral("item"));
    for (const TOwned<TnvMetadataBase> &item : FItems) {
        const auto *object = static_cast<const TnvMetadataObject *>(item.get());
        object->WriteXMLNode(writer, object->GetXMLItemName());
    }
    writer.writeEndElement();
}

QString TnvMetadataContainer::GetXML() const
{
    QString text;
    QXmlStreamWriter writer(&text);
    WriteXMLNode(writer, QStringLiteral("metadata"));
    return text;
}

QByteArray TnvMetadataContainer::GetXMLBytes() const
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.writeStartDocument(QStringLiteral("1.0"));
    WriteXMLNode(writer, QStringLiteral("metadata"));
    writer.writeEndDocument();
    return bytes;
}

void TnvMetadataContainer::SaveToXMLFile(const QString &fileName) const
{
    // The whole document is made before the file is touched, and the file is
    // replaced only once written completely.
    const QByteArray bytes = GetXMLBytes();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EStreamError(QStringLiteral("Cannot write file \"%1\": %2").arg(fileName, file.errorString()));
}

// ---------------------------------------------------------------------------
// Reader, step 1: the document as plain records

namespace {

struct XIdent {
    std::optional<QString> Name;
    std::optional<bool> CaseSensitive;
};
using XName = std::vector<XIdent>;
using XNames = std::vector<XName>;

struct XField {
    std::optional<XName> Name;
    int Type = 0;
    int Size = 0;
    int Precision = 0;
    bool PrimaryKey = false;
    bool Nullable = true;
    bool ReadOnly = false;
    QString Descr;
    QString LongDescr;
    QString AltName;
};

struct XRelation {
    std::optional<XNames> KeyFields;
    std::optional<XName> ChildDatabase;
    std::optional<XIdent> ChildSchema;
    std::optional<XIdent> ChildName;
    std::optional<XNames> ChildFields;
};

struct XObject {
    TnvMetadataClass Class = nullptr;
    std::optional<XName> Database;
    std::optional<XIdent> Schema;
    std::optional<XIdent> Name;
    std::optional<bool> System;
    std::optional<bool> Visible;
    std::optional<QString> Descr;
    std::optional<QString> LongDescr;
    std::optional<std::vector<XField>> Fields;
    std::optional<std::vector<XRelation>> Relations;
    std::optional<XName> RefDatabase;
    std::optional<XIdent> RefSchema;
    std::optional<XIdent> RefName;
};

struct XDocument {
    bool HasRoot = false;
    std::optional<XName> DefaultDatabase;
    std::optional<std::vector<XIdent>> DefaultSchemas;
    // A deque: a document of many small objects would otherwise copy the
    // records each time the list grows.
    std::deque<XObject> Objects;
};

[[noreturn]] void RaiseBadXML(const QString &reason)
{
    throw Exception(Format(LoadResString(nvQBErrorBadXML), {reason}));
}

// The deepest element of the document is a name part of a relation's key
// field: metadata, table, relations, relation, key_fields, field_name, item.
// Text elements hold text only (a reader joins the text of any children), so
// nothing legitimate goes deeper.
const TXmlShapeLimits MetadataShape{7, 64};

class TDocumentParser {
public:
    explicit TDocumentParser(QXmlStreamReader &reader) : R(reader) { R.setNamespaceProcessing(false); }

    XDocument Parse()
    {
        XDocument document;
        while (!R.atEnd()) {
            if (R.readNext() == QXmlStreamReader::StartElement) {
                if (R.name() != u"metadata")
                    throw Exception(Format(LoadResString(nvQBErrorBadXMLTagNotFound), {QStringLiteral("metadata")}));
                document.HasRoot = true;
                ReadRoot(document);
            }
        }
        if (R.hasError()) {
            // A text without any element has no root: nothing to load.
            if (R.error() == QXmlStreamReader::PrematureEndOfDocumentError && !document.HasRoot && SeenOnlyBlank)
                return document;
            RaiseBadXML(QStringLiteral("%1 (line %2, column %3)")
                            .arg(R.errorString())
                            .arg(R.lineNumber())
                            .arg(R.columnNumber()));
        }
        return document;
    }

    bool SeenOnlyBlank = false;

private:
    QXmlStreamReader &R;

    // Walks the child elements of the current element, calling Handle with
    // each child's name; a child Handle does not read is skipped whole.
    template <class F> void Children(F handle)
    {
        while (R.readNextStartElement()) {
            if (!handle(R.name()))
                R.skipCurrentElement();
        }
        CheckError();
    }

    void CheckError()
    {
        if (R.hasError())
            RaiseBadXML(QStringLiteral("%1 (line %2, column %3)")
                            .arg(R.errorString())
                            .arg(R.lineNumber())
                            .arg(R.columnNumber()));
    }

    QString Text()
    {
        const QString text = R.readElementText(QXmlStreamReader::IncludeChildElements);
        CheckError();
        return text;
    }

    XIdent Ident()
    {
        XIdent ident;
        const QXmlStreamAttributes attributes = R.attributes();
        for (const QXmlStreamAttribute &attribute : attributes) {
            if (attribute.qualifiedName() == u"name")
                ident.Name = attribute.value().toString();
            else if (attribute.qualifiedName() == u"case_sens")
                ident.CaseSensitive = XMLCaseSensitiveFlag(attribute.value());
        }
        R.skipCurrentElement();
        CheckError();
        return ident;
    }

    XName Name()
    {
        XName name;
        Children([&](QStringView tag) {
            if (tag != u"item")
                return false;
            name.push_back(Ident());
            return true;
        });
        return name;
    }

    XNames FieldNames()
    {
        XNames names;
        Children([&](QStringView tag) {
            if (tag != u"field_name")
                return false;
            names.push_back(Name());
            return true;
        });
        return names;
    }

    // The element's text as a value; empty text counts as no value.
    std::optional<QString> Value()
    {
        const QString text = Text().trimmed();
        if (text.isEmpty())
            return std::nullopt;
        return text;
    }

    [[noreturn]] void ConvertError(const QString &tag, const QString &text, const char *type)
    {
        throw EConvertError(QStringLiteral("Could not convert \"%1\" of element \"%2\" (line %3) into type %4")
                                .arg(text, tag)
                                .arg(R.lineNumber())
                                .arg(QString::fromLatin1(type)));
    }

    std::optional<int> Integer(const QString &tag)
    {
        const std::optional<QString> text = Value();
        if (!text)
            return std::nullopt;
        bool ok = false;
        const int value = text->toInt(&ok);
        if (!ok)
            ConvertError(tag, *text, "Integer");
        return value;
    }

    std::optional<bool> Boolean(const QString &tag)
    {
        const std::optional<QString> text = Value();
        if (!text)
            return std::nullopt;
        if (text->compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text->compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const qlonglong value = text->toLongLong(&ok);
        if (!ok)
            ConvertError(tag, *text, "Boolean");
        return value != 0;
    }

    void ReadRoot(XDocument &document)
    {
        Children([&](QStringView tag) {
            if (tag == u"default_database") {
                if (document.DefaultDatabase)
                    return false;
                document.DefaultDatabase = Name();
                return true;
            }
            if (tag == u"default_schemas") {
                if (document.DefaultSchemas)
                    return false;
                std::vector<XIdent> schemas;
                Children([&](QStringView child) {
                    if (child != u"item")
                        return false;
                    schemas.push_back(Ident());
                    return true;
                });
                document.DefaultSchemas = std::move(schemas);
                return true;
            }
            TnvMetadataClass cls = nullptr;
            if (tag == u"table")
                cls = TnvMetadataTable::StaticClassType();
            else if (tag == u"view")
                cls = TnvMetadataView::StaticClassType();
            else if (tag == u"procedure")
                cls = TnvMetadataProcedure::StaticClassType();
            else if (tag == u"synonym")
                cls = TnvMetadataSynonym::StaticClassType();
            else
                return false;
            document.Objects.push_back(Object(cls));
            return true;
        });
    }

    XObject Object(TnvMetadataClass cls)
    {
        XObject object;
        object.Class = cls;
        const bool synonym = cls == TnvMetadataSynonym::StaticClassType();
        // Each child counts once, wherever it stands: the first of a name wins.
        bool seenSystem = false, seenVisible = false;
        Children([&](QStringView tag) {
            if (tag == u"database" && !object.Database)
                object.Database = Name();
            else if (tag == u"schema" && !object.Schema)
                object.Schema = Ident();
            else if (tag == u"name" && !object.Name)
                object.Name = Ident();
            else if (tag == u"system" && !seenSystem) {
                seenSystem = true;
                object.System = Boolean(QStringLiteral("system"));
            } else if (tag == u"visible" && !seenVisible) {
                seenVisible = true;
                object.Visible = Boolean(QStringLiteral("visible"));
            } else if (tag == u"descr" && !object.Descr)
                object.Descr = Text();
            else if (tag == u"long_descr" && !object.LongDescr)
                object.LongDescr = Text();
            else if (tag == u"fields" && !object.Fields)
                object.Fields = Fields();
            else if (tag == u"relations" && !object.Relations)
                object.Relations = Relations();
            else if (synonym && tag == u"ref_database" && !object.RefDatabase)
                object.RefDatabase = Name();
            else if (synonym && tag == u"ref_schema" && !object.RefSchema)
                object.RefSchema = Ident();
            else if (synonym && tag == u"ref_name" && !object.RefName)
                object.RefName = Ident();
            else
                return false;
            return true;
        });
        return object;
    }

    std::vector<XField> Fields()
    {
        std::vector<XField> fields;
        Children([&](QStringView tag) {
            if (tag != u"field")
                return false;
            fields.push_back(Field());
            return true;
        });
        return fields;
    }

    XField Field()
    {
        XField field;
        unsigned seen = 0;
        auto first = [&seen](unsigned bit) {
            if (seen & bit)
                return false;
            seen |= bit;
            return true;
        };
        Children([&](QStringView tag) {
            if (tag == u"name" && first(1))
                field.Name = Name();
            else if (tag == u"type" && first(2)) {
                const int type = Integer(QStringLiteral("type")).value_or(0);
                // A type this version does not know reads as unknown.
                field.Type = type >= 0 && type < FieldTypeCount ? type : 0;
            } else if (tag == u"size" && first(4))
                field.Size = Integer(QStringLiteral("size")).value_or(0);
            else if (tag == u"precision" && first(8))
                field.Precision = Integer(QStringLiteral("precision")).value_or(0);
            else if (tag == u"primary_key" && first(16))
                field.PrimaryKey = Boolean(QStringLiteral("primary_key")).value_or(false);
            else if (tag == u"nullable" && first(32))
                field.Nullable = Boolean(QStringLiteral("nullable")).value_or(true);
            else if (tag == u"readonly" && first(64))
                field.ReadOnly = Boolean(QStringLiteral("readonly")).value_or(false);
            else if (tag == u"descr" && first(128))
                field.Descr = Text();
            else if (tag == u"long_descr" && first(256))
                field.LongDescr = Text();
            else if (tag == u"alt_name" && first(512))
                field.AltName = Text();
            else
                return false;
            return true;
        });
        return field;
    }

    std::vector<XRelation> Relations()
    {
        std::vector<XRelation> relations;
        Children([&](QStringView tag) {
            if (tag != u"relation")
                return false;
            XRelation relation;
            Children([&](QStringView child) {
                if (child == u"key_fields" && !relation.KeyFields)
                    relation.KeyFields = FieldNames();
                else if (child == u"child_database" && !relation.ChildDatabase)
                    relation.ChildDatabase = Name();
                else if (child == u"child_schema" && !relation.ChildSchema)
                    relation.ChildSchema = Ident();
                else if (child == u"child_name" && !relation.ChildName)
                    relation.ChildName = Ident();
                else if (child == u"child_fields" && !relation.ChildFields)
                    relation.ChildFields = FieldNames();
                else
                    return false;
                return true;
            });
            relations.push_back(std::move(relation));
            return true;
        });
        return relations;
    }
};

bool IsBlank(QStringView text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// Reader, step 2: records into objects (nothing here can fail on the input)

class TDocumentBuilder {
public:
    explicit TDocumentBuilder(TnvMetadataContainer *container)
        : FContainer(container), FProvider(container->SyntaxProvider())
    {
    }

    void Build(XDocument &document, bool replace)
    {
        TnvUpdateScope scope(FContainer);
        if (replace)
            FContainer->Clear();
        if (!document.HasRoot)
            return;
        if (document.DefaultDatabase) {
            TOwned<TSQLQualifiedName> name = MakeName(*document.DefaultDatabase);
            FContainer->SetDefaultDatabaseName(name.get());
        }
        if (document.DefaultSchemas) {
            TOwned<TSQLIdentifiersCollection> names = Create<TSQLIdentifiersCollection>(FProvider);
            for (const XIdent &ident : *document.DefaultSchemas)
                Apply(names->Add(), ident);
            FContainer->SetDefaultSchemaNames(names.get());
        }
        // Reserving for the objects held plus those to come never shrinks the list.
        FContainer->SetCapacity(FContainer->Count() + qsizetype(document.Objects.size()));
        // Each record goes once its object is made, so that a document of
        // many objects does not hold both at once.
        while (!document.Objects.empty()) {
            FContainer->Add(MakeObject(document.Objects.front()));
            document.Objects.pop_front();
        }
    }

private:
    static void Apply(TastTokenIdentifier *identifier, const XIdent &ident)
    {
        if (ident.Name)
            identifier->SetText(*ident.Name);
        if (ident.CaseSensitive)
            identifier->SetCaseSensitive(*ident.CaseSensitive);
    }

    TOwned<TastTokenIdentifier> MakeIdent(const XIdent &ident) const
    {
        TOwned<TastTokenIdentifier> identifier = Create<TastTokenIdentifier>(FProvider);
        Apply(identifier.get(), ident);
        return identifier;
    }

    TOwned<TSQLQualifiedName> MakeName(const XName &parts) const
    {
        TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(FProvider);
        for (const XIdent &part : parts)
            name->Add(MakeIdent(part));
        return name;
    }

    TOwned<TnvMetadataFieldNamesList> MakeFieldNames(TnvMetadataBase *owner, const XNames &names) const
    {
        TOwned<TnvMetadataFieldNamesList> list(static_cast<TnvMetadataFieldNamesList *>(
            TnvMetadataBase::CreateOf(TnvMetadataFieldNamesList::StaticClassType(), owner).release()));
        for (const XName &name : names)
            list->AdoptName(MakeName(name));
        return list;
    }

    TOwned<TnvMetadataObject> MakeObject(const XObject &record)
    {
        TOwned<TnvMetadataObject> object(
            static_cast<TnvMetadataObject *>(TnvMetadataBase::CreateOf(record.Class, FContainer).release()));
        TnvUpdateScope scope(object.get());
        if (record.Database) {
            TOwned<TSQLQualifiedName> name = MakeName(*record.Database);
            object->SetDatabase(name.get());
        }
        if (record.Schema) {
            TOwned<TastTokenIdentifier> schema = MakeIdent(*record.Schema);
            object->SetSchema(schema.get());
        }
        if (record.Name) {
            TOwned<TastTokenIdentifier> name = MakeIdent(*record.Name);
            object->SetName(name.get());
        }
        if (record.System)
            object->SetSystem(*record.System);
        if (record.Visible)
            object->SetVisible(*record.Visible);
        if (record.Descr)
            object->SetShortDescription(*record.Descr);
        if (record.LongDescr)
            object->SetLongDescription(*record.LongDescr);

        TnvMetadataFieldsList *fields = object->OwnFields();
        fields->Clear();
        if (record.Fields) {
            fields->SetCapacity(qsizetype(record.Fields->size()));
            for (const XField &data : *record.Fields) {
                TnvMetadataField *field = fields->Add();
                if (data.Name) {
                    TOwned<TSQLQualifiedName> name = MakeName(*data.Name);
                    field->SetName(name.get());
                }
                field->SetFieldType(TFieldType(data.Type));
                field->SetSize(data.Size);
                field->SetPrecision(data.Precision);
                field->SetPrimaryKey(data.PrimaryKey);
                field->SetNullable(data.Nullable);
                field->SetReadOnly(data.ReadOnly);
                field->SetShortDescription(data.Descr);
                field->SetLongDescription(data.LongDescr);
                field->SetAltName(data.AltName);
            }
            fields->SetLoaded(true);
        }

        if (record.Relations) {
            TnvMetadataRelationsList *relations = object->OwnRelations();
            relations->Clear();
            for (const XRelation &data : *record.Relations) {
                TnvMetadataRelation *relation = relations->Add();
                if (data.KeyFields)
                    relation->SetKeyFields(MakeFieldNames(relation, *data.KeyFields).get());
                if (data.ChildDatabase) {
                    TOwned<TSQLQualifiedName> name = MakeName(*data.ChildDatabase);
                    relation->SetChildDatabase(name.get());
                }
                if (data.ChildSchema) {
                    TOwned<TastTokenIdentifier> schema = MakeIdent(*data.ChildSchema);
                    relation->SetChildSchema(schema.get());
                }
                if (data.ChildName) {
                    TOwned<TastTokenIdentifier> name = MakeIdent(*data.ChildName);
                    relation->SetChildName(name.get());
                }
                if (data.ChildFields)
                    relation->SetChildFields(MakeFieldNames(relation, *data.ChildFields).get());
            }
        }

        if (auto *synonym = As<TnvMetadataSynonym>(object.get())) {
            if (record.RefDatabase) {
                TOwned<TSQLQualifiedName> name = MakeName(*record.RefDatabase);
                synonym->SetReferencedDatabase(name.get());
            }
            if (record.RefSchema) {
                TOwned<TastTokenIdentifier> schema = MakeIdent(*record.RefSchema);
                synonym->SetReferencedSchema(schema.get());
            }
            if (record.RefName) {
                TOwned<TastTokenIdentifier> name = MakeIdent(*record.RefName);
                synonym->SetReferencedName(name.get());
            }
        }
        return object;
    }

    TnvMetadataContainer *FContainer;
    TnvBaseSyntaxProvider *FProvider;
};

void LoadDocument(TnvMetadataContainer *container, QXmlStreamReader &reader, bool blank, bool replace)
{
    TDocumentParser parser(reader);
    parser.SeenOnlyBlank = blank;
    XDocument document = parser.Parse();
    TDocumentBuilder(container).Build(document, replace);
}

QByteArray ReadFileBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        RaiseBadXML(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    return file.readAll();
}

} // namespace

// ---------------------------------------------------------------------------
// Documents

void TnvMetadataContainer::LoadFromXML(const QString &text)
{
    if (const QString refused = XmlShapeError(text, MetadataShape); !refused.isEmpty())
        RaiseBadXML(refused);
    QXmlStreamReader reader(text);
    LoadDocument(this, reader, IsBlank(text), true);
}

void TnvMetadataContainer::AddFromXML(const QString &text)
{
    if (const QString refused = XmlShapeError(text, MetadataShape); !refused.isEmpty())
        RaiseBadXML(refused);
    QXmlStreamReader reader(text);
    LoadDocument(this, reader, IsBlank(text), false);
}

void TnvMetadataContainer::AddFromXMLBytes(const QByteArray &data, bool replace)
{
    std::optional<QString> decoded;
    if (const QString refused = XmlShapeError(data, MetadataShape, decoded); !refused.isEmpty())
        RaiseBadXML(refused);
    if (decoded) {
        QXmlStreamReader reader(*decoded);
        LoadDocument(this, reader, IsBlank(*decoded), replace);
        return;
    }
    QXmlStreamReader reader(data);
    const bool blank = std::all_of(data.begin(), data.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
    LoadDocument(this, reader, blank, replace);
}

void TnvMetadataContainer::LoadFromXMLFile(const QString &fileName) { AddFromXMLBytes(ReadFileBytes(fileName), true); }

void TnvMetadataContainer::AddFromXMLFile(const QString &fileName) { AddFromXMLBytes(ReadFileBytes(fileName), false); }

void TnvMetadataContainer::LoadFromXMLNode(const QDomElement &element)
{
    if (element.isNull())
        return;
    // Qt writes a tree out recursively (a few thousand levels overflow the
    // stack): its shape is checked before it becomes text.
    if (const QString refused = XmlShapeError(element, MetadataShape); !refused.isEmpty())
        RaiseBadXML(refused);
    QString text;
    QTextStream stream(&text);
    element.save(stream, -1);
    stream.flush();
    AddFromXML(text);
}

} // namespace nvqb
