#pragma once
// The parse driver behind every parse entry of a syntax provider: scan the
// whole text, run the entry's first pass over all grammar paths, build the
// tree along the first path that reaches the end, and either return nil or
// raise EnvSQLError naming the first token no path could take. Scanner and
// parser live for this one parse; the parser goes first.
#include "sqlmodel/parse/Parser.h"
#include "sqlmodel/parse/SQLError.h"

#include <functional>
#include <optional>

namespace nvqb {

struct TnvParseSetup {
    TnvScannerClass ScannerClass = nullptr;
    TnvParserClass ParserClass = nullptr;
    TnvBaseSyntaxProvider *Provider = nullptr;
    // Hooks through which the dialect adjusts a new scanner and parser.
    std::function<void(TnvBaseScanner &)> SetScannerParams;
    std::function<void(TnvBaseParser &)> SetParserParams;
    // With a message, a text that does not parse raises EnvSQLError with it;
    // without one, the entry returns nil.
    std::optional<QString> FailureMessage;
};

// Returns what build(parser) returns, or a default (nil) value when no path
// reaches the end and no failure message is set.
template <class WayCalc, class Build>
auto RunParse(const TnvParseSetup &setup, const QString &text, WayCalc &&wayCalc, Build &&build)
    -> decltype(build(std::declval<TnvBaseParser &>()))
{
    using Result = decltype(build(std::declval<TnvBaseParser &>()));
    if (!setup.ScannerClass || !setup.ParserClass)
        return Result();
    TOwned<TnvBaseScanner> scanner = setup.ScannerClass->Create();
    if (setup.SetScannerParams)
        setup.SetScannerParams(*scanner);
    scanner->Init(text);
    TOwned<TnvBaseParser> parser(setup.ParserClass->Factory(scanner.get(), setup.Provider));
    if (setup.SetParserParams)
        setup.SetParserParams(*parser);
    if (parser->CalcWay([&](TnvWayPointsList &list) { wayCalc(*parser, list); }))
        return build(*parser);
    if (setup.FailureMessage)
        throw EnvSQLError(*setup.FailureMessage, *scanner->GetToken(parser->GetBadToken()));
    return Result();
}

} // namespace nvqb
