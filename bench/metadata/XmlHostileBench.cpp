// Hostile metadata documents of about 1 MB each: every one must load or be
// refused well within a second, and none may crash. Prints one line per
// shape: the time of the first run and the best of three, and what came of
// it (objects loaded, or the error's start). A shape name given on the command line runs only the shapes whose
// names contain it; a second argument sets the size in KB.
#include "../BenchCommandLine.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QFile>
#include <cstdio>
#include <functional>

using namespace nvqb;

namespace {

qsizetype Size = 1 << 20;

QByteArray Repeat(const QByteArray &piece, qsizetype bytes)
{
    QByteArray result;
    result.reserve(bytes + piece.size());
    while (result.size() + piece.size() <= bytes)
        result += piece;
    return result;
}

// Pieces numbered from 0 until the text reaches about the given size.
QByteArray Numbered(const char *pattern, qsizetype bytes)
{
    QByteArray result;
    result.reserve(bytes + 64);
    for (int i = 0; result.size() < bytes; ++i)
        result += QByteArray(pattern).replace("#", QByteArray::number(i));
    return result;
}

QByteArray Doc(const QByteArray &inner) { return "<metadata>" + inner + "</metadata>"; }
QByteArray Table(const QByteArray &inner) { return Doc("<table><name name=\"T\"/>" + inner + "</table>"); }

struct TShape {
    const char *Name;
    std::function<QByteArray()> Make;
    enum { Text, Utf16File, Bytes, NameList } Kind = Text;
};


const QByteArray Dtd = "<!DOCTYPE metadata [<!ENTITY a \"" + Repeat("x", 4000) + "\">]>";

std::vector<TShape> Shapes()
{
    static const QByteArray Deep = Repeat("<x>", Size * 3 / 7);
    static const QByteArray DeepEnd = Repeat("</x>", Size * 4 / 7);
    return {
        {"attributes on an object", [] { return Doc("<table " + Numbered("a#=\"\" ", Size) + "/>"); }},
        {"attributes on the root", [] { return "<metadata " + Numbered("xmlns:p#=\"u\" ", Size) + "/>"; }},
        {"attributes on an identifier", [] { return Table("<schema name=\"s\" " + Numbered("p#:a=\"\" ", Size) + "/>"); }},
        {"nesting in a description", [] { return Table("<descr>" + Deep + DeepEnd + "</descr>"); }},
        {"nesting in an unknown element", [] { return Doc("<junk>" + Deep + DeepEnd + "</junk>"); }},
        {"nesting never closed", [] { return Doc(Repeat("<x>", Size)); }},
        {"nesting of known elements", [] { return Doc(Repeat("<table><fields><field><name><item>", Size)); }},
        {"long element name", [] { return Doc("<" + Repeat("n", Size) + "/>"); }},
        {"long attribute name", [] { return Table("<schema " + Repeat("n", Size) + "=\"s\"/>"); }},
        {"long attribute value", [] { return Table("<schema name=\"" + Repeat("s", Size) + "\"/>"); }},
        {"entity references in text", [] { return Table("<descr>" + Repeat("&amp;", Size) + "</descr>"); }},
        {"character references in text", [] { return Table("<descr>" + Repeat("&#x1F600;", Size) + "</descr>"); }},
        {"character references in a name", [] { return Table("<schema name=\"" + Repeat("&#65;", Size) + "\"/>"); }},
        {"undeclared entities", [] { return Table("<descr>" + Repeat("&u;", Size) + "</descr>"); }},
        {"entity expansion (billion laughs)",
         [] {
             QByteArray dtd = "<!DOCTYPE metadata [<!ENTITY a0 \"xxxxxxxxxx\">";
             for (int i = 1; i < 10; ++i) {
                 const QByteArray reference = "&a" + QByteArray::number(i - 1) + ";";
                 dtd += "<!ENTITY a" + QByteArray::number(i) + " \"" + Repeat(reference, 10 * reference.size()) + "\">";
             }
             return dtd + "]>" + Table("<descr>&a9;</descr>");
         }},
        {"entity expansion (many references)", [] { return Dtd + Table("<descr>" + Repeat("&a;", Size) + "</descr>"); }},
        {"entity expansion in attributes", [] { return Dtd + Table("<schema name=\"" + Repeat("&a;", Size) + "\"/>"); }},
        {"attribute defaults from a DTD",
         [] { return "<!DOCTYPE metadata [" + Numbered("<!ATTLIST item a# CDATA \"d\">", Size) + "]>" + Table(""); }},
        {"many comments", [] { return Table("<descr>" + Repeat("<!---->", Size) + "</descr>"); }},
        {"many processing instructions", [] { return Table(Repeat("<?p?>", Size)); }},
        {"many elements in a description", [] { return Table("<descr>" + Repeat("<b/>", Size) + "</descr>"); }},
        {"many unnamed tables", [] { return Doc(Repeat("<table/>", Size)); }},
        {"many tables of one name", [] { return Doc(Repeat("<table><name name=\"T\"/></table>", Size)); }},
        {"many tables with a common ending",
         [] { return Doc(Numbered("<table><name name=\"#_SAME_END\"/></table>", Size)); }},
        {"many fields", [] { return Table("<fields>" + Numbered("<field><name><item name=\"f#\"/></name></field>", Size) + "</fields>"); }},
        {"many relations", [] { return Table("<relations>" + Repeat("<relation><child_name name=\"T\"/></relation>", Size) + "</relations>"); }},
        {"many name parts", [] { return Table("<database>" + Repeat("<item name=\"d\"/>", Size) + "</database>"); }},
        {"many default schemas", [] { return Doc("<default_schemas>" + Numbered("<item name=\"s#\"/>", Size) + "</default_schemas>"); }},
        {"attributes, UTF-16 file", [] { return Doc("<table " + Numbered("a#=\"\" ", Size / 2) + "/>"); }, TShape::Utf16File},
        {"attributes, UTF-7 declared",
         [] {
             // "<" and ">" written as UTF-7 sequences: only a reader that
             // decodes the text as declared sees the tags.
             return "<?xml version=\"1.0\" encoding=\"UTF-7\"?><metadata>+ADw-table " +
                    Numbered("a#=+ACIAIg- ", Size) + "/+AD4-</metadata>";
         },
         TShape::Bytes},
        {"name list: attributes", [] { return "<names><n " + Numbered("a#=\"\" ", Size) + "/></names>"; }, TShape::NameList},
        {"name list: nesting", [] { return "<names><n>" + Deep + DeepEnd + "</n></names>"; }, TShape::NameList},
        {"name list: entity expansion", [] { return Dtd + "<names><n><item name=\"" + Repeat("&a;", Size) + "\"/></n></names>"; }, TShape::NameList},
    };
}

} // namespace

int main(int argc, char **argv)
{
    QString only;
    bench::TCommandLine line(argc, argv, "nvqb-metadata-xml-hostile-bench", "[SHAPE [KB]]");
    for (int position = 0; line.Next(); ++position) {
        if (position == 0)
            only = QString::fromLocal8Bit(line.Positional());
        else if (position == 1)
            Size = qsizetype(line.PositionalNumber("KB", 1, 1 << 20)) * 1024;
        else
            line.Unexpected();
    }
    QCoreApplication app(argc, argv);
    TnvBaseSyntaxProvider provider(nullptr);
    QTemporaryDir dir;
    double worst = 0;
    for (const TShape &shape : Shapes()) {
        if (!only.isEmpty() && !QString::fromLatin1(shape.Name).contains(only, Qt::CaseInsensitive))
            continue;
        const QByteArray document = shape.Make();
        QString file;
        QString text;
        qsizetype bytes = document.size();
        if (shape.Kind == TShape::Utf16File || shape.Kind == TShape::Bytes) {
            file = dir.filePath(QStringLiteral("m.xml"));
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            if (shape.Kind == TShape::Utf16File)
                bytes = out.write(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(
                    QString::fromUtf8(document)));
            else
                out.write(document);
        } else {
            text = QString::fromUtf8(document);
        }
        // The first run meets memory the process never touched; the best of
        // three runs mostly reuses what the earlier ones freed.
        double first = 0;
        double best = 0;
        QString outcome;
        for (int run = 0; run < 3; ++run) {
            TOwned<TnvMetadataContainer> container = Create<TnvMetadataContainer>(nullptr);
            container->SetSyntaxProvider(&provider);
            TOwned<TSQLQualifiedNamesList> names = Create<TSQLQualifiedNamesList>(&provider);
            QElapsedTimer timer;
            timer.start();
            try {
                if (shape.Kind == TShape::NameList) {
                    names->SetXML(text, QStringLiteral("n"));
                    outcome = QStringLiteral("loaded %1 names").arg(names->GetCount());
                } else {
                    if (file.isEmpty())
                        container->LoadFromXML(text);
                    else
                        container->LoadFromXMLFile(file);
                    outcome = QStringLiteral("loaded %1 objects").arg(container->Count());
                }
            } catch (const std::exception &e) {
                outcome = QStringLiteral("refused: ") + QString::fromUtf8(e.what()).left(100);
            }
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (run == 0)
                first = best = ms;
            best = std::min(best, ms);
        }
        worst = std::max(worst, first);
        std::printf("%-36s %8.1f ms (best %7.1f)  %7lld bytes  %s\n", shape.Name, first, best, qlonglong(bytes),
                    qPrintable(outcome));
        std::fflush(stdout);
    }
    std::printf("slowest first run: %.1f ms\n", worst);
    return 0;
}
