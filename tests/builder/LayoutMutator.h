#pragma once
// Damaged layout documents for the fuzzing of SetLayout (the builder tests and
// bench/builder/LayoutFuzz.cpp): each call takes a saved layout and spoils it
// in one or a few of the ways a stored file gets spoiled or a hostile one is
// made: flipped bytes, cut text, elements doubled, dropped or moved, values
// that are huge, negative, empty or no numbers, names and SQL changed, nesting
// far deeper than a layout has, SQL nested as deep as the parser reads.
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <random>

namespace nvqb::test {

class TLayoutMutator {
public:
    explicit TLayoutMutator(unsigned seed) : FRandom(seed) {}

    // The deepest nesting of the SQL put in place of the stored one; a
    // sub-query's SQL holds those inside it, so the cost of a load grows
    // with the square of the depth.
    int MaxSQLDepth = 150;

    // The statements whose layouts are spoiled: unions with brackets,
    // derived tables and sub-queries in expressions, the same table twice.
    static QStringList Statements()
    {
        return {
            QStringLiteral("Select a.id, b.y From a Inner Join b On a.id = b.a_id Inner Join c On b.id = c.b_id"),
            QStringLiteral("Select a.id, (Select Max(c.id) From c Where c.b_id = a.id) m From a, "
                           "(Select b.id, b.a_id From b Inner Join c On b.id = c.b_id) q Where a.x In "
                           "(Select b.a_id From b Where b.y > 1)"),
            QStringLiteral("Select a.id From a Union (Select b.id From b, c Union Select c.id From c) "
                           "Union Select aa.id From a aa Inner Join b On aa.id = b.a_id"),
            QStringLiteral("Select * From a, a, b bb Left Outer Join c On bb.id = c.b_id"),
            QStringLiteral("Select x.id From (Select a.id From a Union Select b.id From b) x, c"),
        };
    }

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(FRandom); }

    QString Mutate(const QString &layout)
    {
        QString text = layout;
        const int steps = 1 + Below(3);
        for (int i = 0; i < steps; ++i)
            text = MutateOnce(text);
        return text;
    }

private:
    std::mt19937 FRandom;

    QString Value()
    {
        static const char *const values[] = {"2147483647", "-2147483648", "2147483648", "99999999999999999999",
                                             "-1",         "0",           "",           "1e9",
                                             "0x10",       " 12 ",        "12px",       "+7",
                                             "NaN",        "--1",         "1000000000", "-1000000000"};
        return QString::fromLatin1(values[Below(int(std::size(values)))]);
    }

    QString Name()
    {
        static const char *const names[] = {"NorvaneQueryBuilderLayout", "SQL", "SubQueries", "SubQuery",
                                            "UnionSubQuery", "DataSource", "X", "Y", "Height", "Width", "sql",
                                            "Datasource"};
        return QString::fromLatin1(names[Below(int(std::size(names)))]);
    }

    // The start and end of the elements of the text, as [begin, end) pairs of
    // whole elements ("<DataSource .../>" or "<UnionSubQuery>...</UnionSubQuery>").
    QList<std::pair<qsizetype, qsizetype>> Elements(const QString &text)
    {
        // One pass over the tags with a stack of open elements, so a text
        // thousands of levels deep costs no more than its length.
        QList<std::pair<qsizetype, qsizetype>> list;
        QList<std::pair<QString, qsizetype>> open;
        static const QRegularExpression tag(QStringLiteral("<(/?)([A-Za-z]+)[^<>]*?(/?)>"));
        auto it = tag.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            if (!match.captured(3).isEmpty()) {
                list.append({match.capturedStart(), match.capturedEnd()});
            } else if (match.captured(1).isEmpty()) {
                open.append({match.captured(2), match.capturedStart()});
            } else if (!open.isEmpty() && open.last().first == match.captured(2)) {
                list.append({open.last().second, match.capturedEnd()});
                open.removeLast();
            }
        }
        return list;
    }

    QString MutateOnce(QString text)
    {
        if (text.isEmpty())
            return text;
        switch (Below(13)) {
        case 0: { // flipped bytes of the UTF-8 form
            QByteArray bytes = text.toUtf8();
            const int flips = 1 + Below(4);
            for (int i = 0; i < flips; ++i)
                bytes[Below(int(bytes.size()))] ^= char(1 << Below(8));
            return QString::fromUtf8(bytes);
        }
        case 1: // cut short
            return text.left(Below(int(text.size())));
        case 2:
        case 3: { // an element doubled in place
            const auto elements = Elements(text);
            if (elements.isEmpty())
                return text;
            const auto [begin, end] = elements[Below(int(elements.size()))];
            return text.insert(end, text.mid(begin, end - begin));
        }
        case 4: { // an element dropped
            const auto elements = Elements(text);
            if (elements.isEmpty())
                return text;
            const auto [begin, end] = elements[Below(int(elements.size()))];
            return text.remove(begin, end - begin);
        }
        case 5:
        case 6: { // a number replaced by a hostile value
            static const QRegularExpression number(QStringLiteral("(X|Y|Height|Width)=\"[^\"]*\""));
            QList<QRegularExpressionMatch> matches;
            auto it = number.globalMatch(text);
            while (it.hasNext())
                matches.append(it.next());
            if (matches.isEmpty())
                return text;
            const QRegularExpressionMatch &match = matches[Below(int(matches.size()))];
            return text.replace(match.capturedStart(), match.capturedLength(),
                                match.captured(1) + QStringLiteral("=\"") + Value() + u'"');
        }
        case 7: { // an SQL attribute or text changed: a character dropped or doubled
            static const QRegularExpression sql(QStringLiteral("SQL=\"([^\"]*)\"|<SQL>([^<]*)</SQL>"));
            QList<QRegularExpressionMatch> matches;
            auto it = sql.globalMatch(text);
            while (it.hasNext())
                matches.append(it.next());
            if (matches.isEmpty())
                return text;
            const QRegularExpressionMatch &match = matches[Below(int(matches.size()))];
            const int group = match.capturedStart(1) >= 0 ? 1 : 2;
            if (match.capturedLength(group) == 0)
                return text;
            const qsizetype at = match.capturedStart(group) + Below(int(match.capturedLength(group)));
            return Below(2) ? text.remove(at, 1) : text.insert(at, text.at(at));
        }
        case 8: { // an element renamed
            static const QRegularExpression tag(QStringLiteral("<(/?)([A-Za-z]+)"));
            QList<QRegularExpressionMatch> matches;
            auto it = tag.globalMatch(text);
            while (it.hasNext())
                matches.append(it.next());
            if (matches.isEmpty())
                return text;
            const QRegularExpressionMatch &match = matches[Below(int(matches.size()))];
            return text.replace(match.capturedStart(2), match.capturedLength(2), Name());
        }
        case 9: { // deep nesting around an element, or in front of the text
            const int depth = Below(4) == 0 ? 20000 : 1 + Below(40);
            QString open, close;
            for (int i = 0; i < depth; ++i) {
                open += QStringLiteral("<n>");
                close += QStringLiteral("</n>");
            }
            const auto elements = Elements(text);
            if (elements.isEmpty())
                return open + text + close;
            const auto [begin, end] = elements[Below(int(elements.size()))];
            return text.insert(end, close).insert(begin, open);
        }
        case 10: { // an element moved to another place
            const auto elements = Elements(text);
            if (elements.size() < 2)
                return text;
            const auto [begin, end] = elements[Below(int(elements.size()))];
            const QString piece = text.mid(begin, end - begin);
            text.remove(begin, end - begin);
            const auto targets = Elements(text);
            if (targets.isEmpty())
                return text;
            return text.insert(targets[Below(int(targets.size()))].second, piece);
        }
        case 11: { // the SQL nested deep: derived tables, IN sub-queries or brackets
            static const QRegularExpression sql(QStringLiteral("<SQL>[^<]*</SQL>"));
            const QRegularExpressionMatch match = sql.match(text);
            if (!match.hasMatch())
                return text;
            // Mostly shallow; now and then near the parser's own limit.
            const int depth = Below(8) == 0 ? 1 + Below(MaxSQLDepth) : 1 + Below(std::min(30, MaxSQLDepth));
            QString nested;
            switch (Below(3)) {
            case 0:
                nested = QStringLiteral("a");
                for (int i = 0; i < depth; ++i)
                    nested = QStringLiteral("(Select * From %1) t%2").arg(nested).arg(i);
                nested = QStringLiteral("Select * From ") + nested;
                break;
            case 1:
                nested = QStringLiteral("Select a.id From a");
                for (int i = 0; i < depth; ++i)
                    nested = QStringLiteral("Select a.id From a Where a.id In (%1)").arg(nested);
                break;
            default:
                nested = QStringLiteral("Select ") + QString(depth, u'(') + u'1' + QString(depth, u')') +
                         QStringLiteral(" From a");
                break;
            }
            return text.replace(match.capturedStart(), match.capturedLength(),
                                QStringLiteral("<SQL>") + nested + QStringLiteral("</SQL>"));
        }
        default: { // stray text, a comment or an attribute
            static const char *const pieces[] = {"x", "<!-- c -->", "<?pi data?>", " extra=\"1\"", "&amp;", "]]>",
                                                 "<![CDATA[<SQL>]]>", "&#0;", "\xC3\xA9"};
            const qsizetype at = Below(int(text.size()));
            return text.insert(at, QString::fromUtf8(pieces[Below(int(std::size(pieces)))]));
        }
        }
    }
};

} // namespace nvqb::test
