// Data types of CAST: user types by name, and the standard types kept as
// their fixed spellings with the blanks between the words.
#include "sql92/SQL92GrammarSupport.h"
#include "sqlmodel/sql/SQLTypes.h"

namespace nvqb {

using namespace SQL92;
namespace g = grammar;

namespace {

constexpr TnvGate StandardTypeStart{_INT,     _INTEGERTOKEN, _SMALLINT, _REALTOKEN, _DOUBLE,  _DATE,
                                    _NATIONAL, _CHAR,        _CHARACTER, _VARCHAR,  _NCHAR,   _BIT,
                                    _FLOAT,   _DECIMAL,      _DEC,       _NUMERIC,  _TIME,    _TIMESTAMP,
                                    _INTERVAL};

// The blank that separates two words of a type; a line may break there.
void Space(TSQLTypeStandard *type) { type->AddSpace(2); }

} // namespace

template <class P> SQL92Parser::N<P, TSQLType> SQL92Parser::SQLType(P &p)
{
    N<P, TSQLType> result;
    auto user = [&] {
        auto name = QualifiedName(p);
        if constexpr (P::Building) {
            auto type = Create<TSQLTypeUser>(SyntaxProvider());
            type->TypeName.reset(std::move(name));
            result = std::move(type);
        }
    };
    auto standard = [&] {
        N<P, TSQLTypeStandard> type;
        TSQLTypeStandard *target = nullptr;
        if constexpr (P::Building) {
            type = Create<TSQLTypeStandard>(SyntaxProvider());
            target = type.get();
        }
        StandardType(p, target);
        result = std::move(type);
    };
    g::Alt(p, {&gates::Identifier, &StandardTypeStart}, user, standard);
    return result;
}

template <class P> void SQL92Parser::StandardType(P &p, TSQLTypeStandard *type)
{
    static constexpr TnvGate exact{_INT, _INTEGERTOKEN, _SMALLINT, _REALTOKEN, _DOUBLE, _DATE},
        characters{_NATIONAL, _CHAR, _CHARACTER, _VARCHAR, _NCHAR, _BIT, _FLOAT}, decimals{_DECIMAL, _DEC, _NUMERIC},
        times{_TIME, _TIMESTAMP}, interval{_INTERVAL}, intG{_INT}, integerG{_INTEGERTOKEN}, smallint{_SMALLINT},
        real{_REALTOKEN}, doubleG{_DOUBLE}, date{_DATE}, national{_NATIONAL}, charWords{_CHAR, _CHARACTER},
        nationalOrChar{_NATIONAL, _CHAR, _CHARACTER}, varchar{_VARCHAR}, nchar{_NCHAR}, bit{_BIT}, floatG{_FLOAT},
        varying{_VARYING}, with{_WITH};
    static constexpr int charKinds[] = {_CHAR, _CHARACTER};
    static constexpr int decimalKinds[] = {_DECIMAL, _DEC, _NUMERIC};
    static constexpr int timeKinds[] = {_TIME, _TIMESTAMP};
    // A word in its fixed spelling, whatever case was written.
    auto word = [&](int kind, const char *spelling) {
        g::Tok(p, kind);
        if constexpr (P::Building)
            type->AddKeyword(QString::fromLatin1(spelling));
    };
    auto space = [&] {
        if constexpr (P::Building)
            Space(type);
    };
    auto optionalVarying = [&] {
        g::Opt(p, &varying, nullptr, [&] {
            space();
            word(_VARYING, "Varying");
        });
    };

    auto exactForms = [&] {
        g::Alt(
            p, {&intG, &integerG, &smallint, &real, &doubleG, &date}, [&] { word(_INT, "Int"); },
            [&] { word(_INTEGERTOKEN, "Integer"); }, [&] { word(_SMALLINT, "SmallInt"); },
            [&] { word(_REALTOKEN, "Real"); },
            [&] {
                word(_DOUBLE, "Double");
                space();
                word(_PRECISION, "Precision");
            },
            [&] { word(_DATE, "Date"); });
    };
    auto characterForms = [&] {
        auto character = [&] {
            g::Opt(p, &national, &charWords, [&] {
                word(_NATIONAL, "National");
                space();
            });
            const TnvToken *t = g::OneOf(p, charKinds);
            if constexpr (P::Building)
                type->AddKeyword(t->Kind == _CHAR ? QStringLiteral("Char") : QStringLiteral("Character"));
            optionalVarying();
        };
        g::Alt(
            p, {&nationalOrChar, &varchar, &nchar, &bit, &floatG}, character, [&] { word(_VARCHAR, "VarChar"); },
            [&] {
                word(_NCHAR, "NChar");
                optionalVarying();
            },
            [&] {
                word(_BIT, "Bit");
                optionalVarying();
            },
            [&] { word(_FLOAT, "float"); });
        g::Opt(p, &gates::LParen, nullptr, [&] { TypeLength(p, type, false); });
    };
    auto decimalForms = [&] {
        const TnvToken *t = g::OneOf(p, decimalKinds);
        if constexpr (P::Building)
            type->AddKeyword(t->Kind == _DECIMAL ? QStringLiteral("Decimal")
                             : t->Kind == _DEC   ? QStringLiteral("Dec")
                                                 : QStringLiteral("Numeric"));
        g::Opt(p, &gates::LParen, nullptr, [&] { TypeLength(p, type, true); });
    };
    auto timeForms = [&] {
        const TnvToken *t = g::OneOf(p, timeKinds);
        if constexpr (P::Building)
            type->AddKeyword(t->Kind == _TIME ? QStringLiteral("Time") : QStringLiteral("TimeStamp"));
        g::Opt(p, &gates::LParen, nullptr, [&] { TypeLength(p, type, false); });
        g::Opt(p, &with, nullptr, [&] {
            space();
            word(_WITH, "With");
            space();
            word(_TIME, "Time");
            space();
            word(_ZONE, "Zone");
        });
    };
    auto intervalForm = [&] { IntervalType(p, type); };
    g::Alt(p, {&exact, &characters, &decimals, &times, &interval}, exactForms, characterForms, decimalForms,
           timeForms, intervalForm);
}

template <class P> void SQL92Parser::IntervalType(P &p, TSQLTypeStandard *type)
{
    static constexpr TnvGate nonSecond{_YEAR, _MONTH, _DAY, _HOUR, _MINUTE},
        anyField{_YEAR, _MONTH, _DAY, _HOUR, _MINUTE, _SECOND}, second{_SECOND};
    static constexpr int nonSecondKinds[] = {_YEAR, _MONTH, _DAY, _HOUR, _MINUTE};
    auto space = [&] {
        if constexpr (P::Building)
            type->AddSpace(2);
    };
    auto nonSecondField = [&] {
        const TnvToken *t = g::OneOf(p, nonSecondKinds);
        if constexpr (P::Building) {
            static const char *const spellings[] = {"Year", "Month", "Day", "Hour", "Minute"};
            int index = 0;
            while (nonSecondKinds[index] != t->Kind)
                ++index;
            type->AddKeyword(QString::fromLatin1(spellings[index]));
        }
    };
    auto secondWord = [&] {
        g::Tok(p, _SECOND);
        if constexpr (P::Building)
            type->AddKeyword(QStringLiteral("Second"));
    };
    auto precision = [&](bool scale) {
        g::Opt(p, &gates::LParen, nullptr, [&] { TypeLength(p, type, scale); });
    };

    g::Tok(p, _INTERVAL);
    if constexpr (P::Building)
        type->AddKeyword(QStringLiteral("Interval"));
    space();
    auto range = [&] {
        nonSecondField();
        precision(false);
        space();
        // TO keeps a blank of its own in front of it.
        space();
        g::Tok(p, _TOTOKEN);
        if constexpr (P::Building)
            type->AddKeyword(QStringLiteral("To"));
        space();
        g::Alt(p, {&nonSecond, &second}, nonSecondField, [&] {
            secondWord();
            precision(false);
        });
    };
    auto single = [&] {
        g::Alt(
            p, {&nonSecond, &second},
            [&] {
                nonSecondField();
                precision(false);
            },
            [&] {
                secondWord();
                precision(true);
            });
    };
    g::Alt(p, {&nonSecond, &anyField}, range, single);
}

template <class P> void SQL92Parser::TypeLength(P &p, TSQLTypeStandard *type, bool scale)
{
    auto number = [&] {
        const TnvToken *t = g::Tok(p, _integer);
        if constexpr (P::Building)
            type->AddNumber(t->Text);
    };
    auto symbol = [&](int kind, const char *text) {
        g::Tok(p, kind);
        if constexpr (P::Building)
            type->AddSymbol(QString::fromLatin1(text));
    };
    symbol(_LPAREN, "(");
    number();
    if (scale)
        g::Opt(p, &gates::Comma, nullptr, [&] {
            symbol(_COMMA, ",");
            number();
        });
    symbol(_RPAREN, ")");
}

NVQB_SQL92_RULE(TSQLType, SQLType)
NVQB_SQL92_VOID_RULE(StandardType, TSQLTypeStandard *)
NVQB_SQL92_VOID_RULE(IntervalType, TSQLTypeStandard *)
NVQB_SQL92_VOID_RULE(TypeLength, TSQLTypeStandard *, bool)

} // namespace nvqb
