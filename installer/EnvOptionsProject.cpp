#include "installer/EnvOptionsProject.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"

#include <QFile>
#include <QXmlStreamReader>

namespace nvqb {

namespace {

const QString PropertyGroupName = QStringLiteral("PropertyGroup");

// The IDE's option files nest a few levels (project, property group, setting,
// and the like); a file nested much deeper is damaged, and the DOM, which
// reads and writes recursively, would not survive it.
constexpr int MaxElementDepth = 32;

// Whether the elements of the text nest deeper than the limit; read as a
// stream, so that the depth costs no stack. Malformed text is left to the DOM
// to report.
bool NestsTooDeep(const QByteArray &text)
{
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxElementDepth)
            return true;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return false;
}

} // namespace

bool TEnvOptionsProject::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw ESetupError(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, file.errorString()));
    const QByteArray text = file.readAll();
    if (NestsTooDeep(text))
        throw ESetupError(QStringLiteral("\"%1\" is no option file of the IDE: its elements are nested more than %2 "
                                         "levels deep. The file is left as it is.")
                              .arg(fileName)
                              .arg(MaxElementDepth));
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(text, false, &message, &line, &column))
        throw ESetupError(QStringLiteral("\"%1\" is not a valid XML file: %2 (line %3, column %4)")
                              .arg(fileName, message)
                              .arg(line)
                              .arg(column));
    if (document.documentElement().isNull())
        throw ESetupError(QStringLiteral("\"%1\" is not a valid XML file: no root element").arg(fileName));
    FDocument = document;
    return true;
}

QDomElement TEnvOptionsProject::PropertyGroup() const
{
    return FDocument.documentElement().firstChildElement(PropertyGroupName);
}

QString TEnvOptionsProject::Property(const QString &name) const
{
    return PropertyGroup().firstChildElement(name).text();
}

void TEnvOptionsProject::SetProperty(const QString &name, const QString &value)
{
    QDomElement root = FDocument.documentElement();
    if (root.isNull()) {
        root = FDocument.createElement(QStringLiteral("Project"));
        FDocument.appendChild(root);
    }
    QDomElement group = PropertyGroup();
    if (group.isNull())
        group = root.appendChild(FDocument.createElement(PropertyGroupName)).toElement();
    QDomElement element = group.firstChildElement(name);
    if (element.isNull())
        element = group.appendChild(FDocument.createElement(name)).toElement();
    while (element.hasChildNodes())
        element.removeChild(element.firstChild());
    if (!value.isEmpty())
        element.appendChild(FDocument.createTextNode(value));
}

void TEnvOptionsProject::SaveToFile(const QString &fileName) const
{
    WriteFileAtomically(fileName, FDocument.toByteArray(2));
}

} // namespace nvqb
