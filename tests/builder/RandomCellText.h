#pragma once
// Texts a user may type into a cell of the column grid, sound and broken:
// columns of the test tables a(id, x), b(id, a_id, y), c(id, b_id), numbers,
// strings, comparisons, aggregates, conditions, parameters, sub-queries,
// stray brackets, quotes and keywords, joined one to four at a time. The
// same seed gives the same texts.
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace nvqb::test {

class TRandomCellText {
public:
    explicit TRandomCellText(quint32 seed) : FRandom(seed) {}

    int Pick(int count) { return count > 0 ? int(FRandom.bounded(quint32(count))) : 0; }
    bool Chance(int percent) { return Pick(100) < percent; }

    QString Next()
    {
        static const char *const fragments[] = {
            "a.x", "a.id", "b.y", "b.a_id", "c.id", "x", "id", "y", "1", "3", "-2", "2.5", "0", "'s'", "'it''s'",
            "=", "<>", ">", "<=", "!=", "= 1", "> 2", "< 'm'", "Is Null", "Is Not Null", "Between 1 And 2",
            "In (1, 2)", "Not In (3)", "Like 'a%'", "And", "Or", "Not", "Sum(a.x)", "Count(*)", "Max(b.y)", "Count",
            "Sum", "Avg", "Min", "(", ")", "*", "a.*", "+", "- 1", "* 2", "||", ":first", ":p", ":1", "?",
            "(Select b.y From b)", "In (Select b.a_id From b)", "Exists (Select 1 From b)", "= (Select Max(c.id) From c)",
            "Case When a.x > 1 Then 1 Else 0 End", "Cast(a.x As Varchar(5))", "As k", "k", "Distinct", "Group By",
            "Having", "Where", "Expression", "Ascending", "Descending", "%", "x%", "\"q\"", "\"", "'", "Select",
            "From", ",", "a.x = 1", "a.x > 1", "True", "False", "= True", "= False", "Null", "Sum Distinct",
            "Count Distinct", "Upper(a.x)", "Coalesce(a.x, 0)", "a.x + b.y", "(a.x)", "((1))", "7", "2",
        };
        const int count = 1 + Pick(Chance(60) ? 1 : 4);
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts.append(QString::fromLatin1(fragments[Pick(int(std::size(fragments)))]));
        return parts.join(Chance(80) ? QStringLiteral(" ") : QString());
    }

    // An entry of the list most of the time, else a random text.
    QString From(const QStringList &choices)
    {
        if (!choices.isEmpty() && Chance(70))
            return choices[Pick(int(choices.size()))];
        return Next();
    }

private:
    QRandomGenerator FRandom;
};

} // namespace nvqb::test
