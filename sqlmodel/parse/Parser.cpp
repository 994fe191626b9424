#include "sqlmodel/parse/Parser.h"
#include "classlib/Assert.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/parse/SQLError.h"

#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvBaseParser, TObject)

TnvBaseParser::TnvBaseParser(TnvBaseScanner *scanner, TnvBaseSyntaxProvider *syntaxProvider)
    : FScanner(scanner), FSyntaxProvider(syntaxProvider), FWay(WayPointListCache().Get())
{
    FKinds.reserve(size_t(scanner->GetCount()));
    for (const TnvToken &t : scanner->Tokens())
        FKinds.push_back(t.Kind);
}

TnvBaseParser::~TnvBaseParser() { WayPointListCache().Put(FWay); }

// An entry a dialect lacks drops every path, so its text never parses.
void TnvBaseParser::ParseSelectWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLSelectStatement> TnvBaseParser::ParseSelect() { return nullptr; }
void TnvBaseParser::ParseObjectNameWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLDatabaseObject> TnvBaseParser::ParseObjectName() { return nullptr; }
void TnvBaseParser::ParseExpressionWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLExpressionItem> TnvBaseParser::ParseExpression() { return nullptr; }
void TnvBaseParser::ParseSelectItemWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLSelectItem> TnvBaseParser::ParseSelectItem() { return nullptr; }
void TnvBaseParser::ParseLogicalExpressionWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLExpressionItem> TnvBaseParser::ParseLogicalExpression() { return nullptr; }
void TnvBaseParser::ParseFromSourceWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TSQLFromSource> TnvBaseParser::ParseFromSource() { return nullptr; }
void TnvBaseParser::ParseIdentifierWayCalc(TnvWayPointsList &list) { list.Clear(); }
TOwned<TastTokenIdentifier> TnvBaseParser::ParseIdentifier() { return nullptr; }

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, int kind)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return KindAt(w->TokenIndex() + 1) == kind; });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, const TnvTokenSet &kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return kinds.Contains(KindAt(w->TokenIndex() + 1)); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLAToken(TnvWayPointsList &list, std::initializer_list<int> kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return IsIntInArray(KindAt(w->TokenIndex() + 1), kinds); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, int kind)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return KindAt(w->TokenIndex() + 1) != kind; });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, const TnvTokenSet &kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return !kinds.Contains(KindAt(w->TokenIndex() + 1)); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotToken(TnvWayPointsList &list, std::initializer_list<int> kinds)
{
    if (list.IsEmpty())
        return false;
    list.Filter([&](TnvWayPoint *w) { return !IsIntInArray(KindAt(w->TokenIndex() + 1), kinds); });
    return !list.IsEmpty();
}

bool TnvBaseParser::CheckLANotIn(TnvWayPointsList &list, const TStringList &strings)
{
    list.Filter([&](TnvWayPoint *w) {
        return strings.IndexOf(FScanner->GetToken(w->TokenIndex() + 1)->Text.toUtf8()) < 0;
    });
    return !list.IsEmpty();
}

bool TnvBaseParser::IsIntInArray(int value, std::initializer_list<int> kinds)
{
    return std::find(kinds.begin(), kinds.end(), value) != kinds.end();
}

void TnvBaseParser::AddWayNode(TnvWayPointsList &list, int data)
{
    // Each child takes over the list's reference; the old way point lives on
    // through the child's reference to its parent.
    TnvQBWayPointsCache &cache = WayPointCache();
    for (TnvWayPoint *&w : list.Raw()) {
        TnvWayPoint *child = cache.Get(w, data);
        child->_AddRef();
        w->_Release();
        w = child;
    }
}

void TnvBaseParser::ListAddWithWayNode(TnvWayPointsList &target, const TnvWayPointsList &source, int data)
{
    TnvQBWayPointsCache &cache = WayPointCache();
    const int n = source.Count();
    for (int i = 0; i < n; ++i)
        target.Add(cache.Get(source[i], data));
}

void TnvBaseParser::UnrollWay(TnvWayPoint *wayPoint)
{
    FWay->Clear();
    std::vector<TnvWayPoint *> &items = FWay->Raw();
    for (TnvWayPoint *w = wayPoint; w; w = w->GetParent()) {
        w->_AddRef();
        items.push_back(w);
    }
    std::reverse(items.begin(), items.end());
    FWayNodeIndex = -1;
    FCurToken = nullptr;
    FCurTokenIndex = -1;
    FFarthestToken = -1;
}

TnvWayPoint *TnvBaseParser::GetWayNode()
{
    ++FWayNodeIndex;
    return FWay->Items(FWayNodeIndex);
}

const TnvToken *TnvBaseParser::Get()
{
    ++FCurTokenIndex;
    FCurToken = FScanner->GetToken(FCurTokenIndex);
    return FCurToken;
}

QString TnvBaseParser::UnrollWayStr(const TnvWayPoint *wayPoint)
{
    std::vector<int> data;
    for (const TnvWayPoint *w = wayPoint; w; w = w->GetParent())
        data.push_back(w->GetData());
    QString result;
    for (auto it = data.rbegin(); it != data.rend(); ++it)
        result += QString::number(*it);
    return result;
}

void TnvBaseParser::EnterNesting(const TnvWayPointsList &list)
{
    // A level entered with no live path (a branch tried only to count it)
    // goes no deeper, so it cannot be the level too many: the refusal waits
    // for a path that really opens one, and names its bracket rather than
    // a token of no path.
    if (++FNesting <= MaxNestingDepth || list.IsEmpty())
        return;
    int farthest = -1;
    for (int i = 0; i < list.Count(); ++i)
        farthest = std::max(farthest, list[i]->TokenIndex());
    NestingError(farthest);
}

void TnvBaseParser::EnterNesting()
{
    if (++FNesting <= MaxNestingDepth)
        return;
    NestingError(FCurTokenIndex);
}

void TnvBaseParser::NestingError(int tokenIndex) const
{
    // The token that opened the level too many.
    throw EnvSQLError(QStringLiteral("The statement is nested too deeply."), *FScanner->GetToken(tokenIndex));
}

} // namespace nvqb
