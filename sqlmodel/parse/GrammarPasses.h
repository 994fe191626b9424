#pragma once
// Grammar rules written once for both parser passes. A rule is a member
// template over a pass: with TnvWayPass it follows every path at once over
// the list of live way points (the first pass), with TnvBuildPass it walks
// the winning path, reading back the recorded choices and building nodes (the
// second pass). The primitives below record and read the choices in the same
// places and order, so the two passes cannot drift apart.
//
// Choices recorded: an alternative records the number of the branch taken
// (from 0, in the order written); an optional part 1 when taken, 0 when
// skipped; a repetition 1 before each round and 0 at the exit. Paths survive
// in this order, which decides the tree: taken optional parts before skipped
// ones, alternatives in the order written, fewer rounds before more.
#include "sqlmodel/parse/Parser.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace nvqb {

// What a rule returns in the first pass: nothing.
struct TnvNoNode {
    template <class T> TnvNoNode &operator=(T &&) { return *this; }
    explicit operator bool() const { return false; }
};

struct TnvWayPass {
    static constexpr bool Building = false;
    TnvBaseParser &Parser;
    TnvWayPointsList *List;
    template <class T> using Node = TnvNoNode;
};

struct TnvBuildPass {
    static constexpr bool Building = true;
    TnvBaseParser &Parser;
    template <class T> using Node = TOwned<T>;
};

// A token set that gates a branch, an optional part or a round; an empty set
// gates nothing.
using TnvGate = TnvTokenSet;

// A gate over the next tokens, for a part that can only start with a fixed
// pair (such as a name and a dot) repeated: a path is admitted when Count
// such pairs follow, each a token in First and one in Second.
struct TnvGatePairs {
    const TnvGate *First;
    const TnvGate *Second;
    int Count = 1;
};

namespace grammar {

// A token of the given kind. The build pass returns it; the way pass nil.
inline const TnvToken *Tok(TnvWayPass &pass, int kind)
{
    pass.Parser.Expect(*pass.List, kind);
    return nullptr;
}
inline const TnvToken *Tok(TnvBuildPass &pass, int) { return pass.Parser.Get(); }

// Keeps the paths whose next token is in the gate (all when the gate is empty).
inline void Gate(TnvWayPass &pass, const TnvGate *gate)
{
    if (gate)
        pass.Parser.CheckLAToken(*pass.List, *gate);
}

// Whether a path may go on past a gate: `Admits(parser, gate)(wayPoint)`.
inline auto Admits(TnvBaseParser &p, const TnvGate *gate)
{
    return [&p, gate](const TnvWayPoint *w) { return !gate || p.NextIn(w, *gate); };
}
inline auto Admits(TnvBaseParser &, std::nullptr_t)
{
    return [](const TnvWayPoint *) { return true; };
}
inline auto Admits(TnvBaseParser &p, const TnvGatePairs &gate)
{
    return [&p, gate](const TnvWayPoint *w) {
        int index = w->TokenIndex();
        for (int i = 0; i < gate.Count; ++i, index += 2)
            if (!gate.First->Contains(p.KindAt(index + 1)) || !gate.Second->Contains(p.KindAt(index + 2)))
                return false;
        return true;
    };
}

// [ body ]: taken when the next token is in `first` (a gate, a gate of
// token pairs or nullptr). With `skipOnlyBefore` the part may be skipped only when
// the next token is in that set.
template <class First, class Body>
bool Opt(TnvWayPass &pass, const First &first, const TnvGate *skipOnlyBefore, Body &&body)
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return false;
    TnvPooledWayPointsList skip;
    p.ListAddWithWayNodeIf(*skip, list, 0, Admits(p, skipOnlyBefore));
    p.AddWayNodeIf(list, 1, Admits(p, first));
    if (!list.IsEmpty())
        body();
    list.AppendFrom(*skip);
    p.DropRepeatedPaths(list);
    return false;
}

template <class First, class Body> bool Opt(TnvBuildPass &pass, const First &, const TnvGate *, Body &&body)
{
    if (pass.Parser.GetWayNode()->GetData() != 1)
        return false;
    body();
    return true;
}

// One of several branches, tried in order; `gates[i]` (may be null) keeps
// the paths that can start branch i. Returns the branch taken (build pass).
template <size_t N, class... Branches>
int Alt(TnvWayPass &pass, const TnvGate *const (&gates)[N], Branches &&...branches)
{
    static_assert(N == sizeof...(Branches), "one gate per branch");
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return -1;
    TnvPooledWayPointsList start, result;
    start->MoveFrom(list);
    int index = 0;
    auto tryBranch = [&](auto &&branch) {
        const int i = index++;
        // Only the paths the gate admits, each stepped on by the branch's number.
        p.ListAddWithWayNodeIf(list, *start, i, Admits(p, gates[i]));
        if (list.IsEmpty())
            return;
        branch();
        result->AppendFrom(list);
    };
    (tryBranch(branches), ...);
    list.MoveFrom(*result);
    p.DropRepeatedPaths(list);
    return -1;
}

template <size_t N, class... Branches>
int Alt(TnvBuildPass &pass, const TnvGate *const (&)[N], Branches &&...branches)
{
    const int chosen = pass.Parser.GetWayNode()->GetData();
    int index = 0;
    auto run = [&](auto &&branch) {
        if (index++ == chosen)
            branch();
    };
    (run(branches), ...);
    return chosen;
}

// One token of the listed kinds, as alternatives in the order listed: the
// same choice and the same order of surviving paths as an Alt of
// single-token branches gated by their own kind, without copying the whole
// list once per branch (keyword lists such as the comparison operators are
// long). Returns the token read (build pass).
template <size_t N> const TnvToken *OneOf(TnvWayPass &pass, const int (&kinds)[N])
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return nullptr;
    TnvQBWayPointsCache &cache = WayPointCache();
    TnvPooledWayPointsList result, branch;
    for (size_t i = 0; i < N; ++i) {
        for (TnvWayPoint *w : list.Raw())
            if (p.KindAt(w->TokenIndex() + 1) == kinds[i])
                branch->Add(cache.Get(w, int(i)));
        if (branch->IsEmpty())
            continue;
        p.Expect(*branch, kinds[i]);
        result->AppendFrom(*branch);
    }
    list.MoveFrom(*result);
    return nullptr;
}

template <size_t N> const TnvToken *OneOf(TnvBuildPass &pass, const int (&)[N])
{
    pass.Parser.GetWayNode();
    return pass.Parser.Get();
}

// A branch of TokenAlt: one token of Kind, or with OneOf one of the
// OneOfCount kinds listed there, read as OneOf reads it.
struct TnvTokenBranch {
    int Kind = 0;
    const int *OneOf = nullptr;
    int OneOfCount = 0;
};

// An Alt whose every branch reads one token (Tok or OneOf), gated by that
// token's kinds: the same choices recorded and the same paths in the same
// order as that Alt, in one walk over the list per kind instead of a
// scratch list per branch. Such Alts (names, mainly) run at every word.
// Returns the token read (build pass).
template <size_t N> const TnvToken *TokenAlt(TnvWayPass &pass, const TnvTokenBranch (&branches)[N])
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return nullptr;
    TnvQBWayPointsCache &cache = WayPointCache();
    TnvPooledWayPointsList result;
    std::vector<TnvWayPoint *> &out = result->Raw();
    auto read = [&](TnvWayPoint *w) {
        p.NoteReached(w->NextToken());
        w->_AddRef();
        out.push_back(w);
    };
    for (size_t i = 0; i < N; ++i) {
        const TnvTokenBranch &b = branches[i];
        if (!b.OneOf) {
            for (TnvWayPoint *w : list.Raw())
                if (p.KindAt(w->TokenIndex() + 1) == b.Kind)
                    read(cache.Get(w, int(i)));
            continue;
        }
        for (int j = 0; j < b.OneOfCount; ++j)
            for (TnvWayPoint *w : list.Raw())
                if (p.KindAt(w->TokenIndex() + 1) == b.OneOf[j])
                    read(cache.Get(cache.Get(w, int(i)), j));
    }
    list.MoveFrom(*result);
    return nullptr;
}

template <size_t N> const TnvToken *TokenAlt(TnvBuildPass &pass, const TnvTokenBranch (&branches)[N])
{
    const int chosen = pass.Parser.GetWayNode()->GetData();
    if (branches[chosen].OneOf)
        pass.Parser.GetWayNode();
    return pass.Parser.Get();
}

// { body }: a round starts when the next token is in `first`; with
// `exitOnlyBefore` the repetition may end only before a token of that set.
template <class Body>
int Rep(TnvWayPass &pass, const TnvGate *first, const TnvGate *exitOnlyBefore, Body &&body)
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return 0;
    TnvPooledWayPointsList exits;
    auto addExits = [&] { p.ListAddWithWayNodeIf(*exits, list, 0, Admits(p, exitOnlyBefore)); };
    addExits();
    for (;;) {
        p.AddWayNodeIf(list, 1, Admits(p, first));
        if (list.IsEmpty())
            break;
        body();
        if (list.IsEmpty())
            break;
        addExits();
    }
    list.MoveFrom(*exits);
    p.DropRepeatedPaths(list);
    return 0;
}

template <class Body> int Rep(TnvBuildPass &pass, const TnvGate *, const TnvGate *, Body &&body)
{
    int rounds = 0;
    while (pass.Parser.GetWayNode()->GetData() == 1) {
        body();
        ++rounds;
    }
    return rounds;
}

// A rule whose first pass is shared between the paths that reach it at the
// same token (see TnvBaseParser::MemoStep); `rule` numbers it, from 0 to
// MemoRules - 1. Brackets make a grammar reach the same rule at the same
// token by many routes; without sharing, each route runs the rule again,
// and nested brackets multiply the routes. Where the next token is in
// `eager` (may be null), the rule's result is kept the first time already.
// MemoWhen decides with `eagerAt(index of the next token)` instead of a gate.
template <class EagerAt, class Body> void MemoWhen(TnvWayPass &pass, int rule, EagerAt &&eagerAt, Body &&body)
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.Count() != 1) {
        body();
        return;
    }
    const int tokenIndex = list.Raw().front()->TokenIndex();
    const TnvBaseParser::TMemoEntry *entry = nullptr;
    switch (p.MemoStep(rule, tokenIndex, eagerAt(tokenIndex + 1), entry)) {
    case TnvBaseParser::TMemoStep::Run:
        body();
        return;
    case TnvBaseParser::TMemoStep::Reuse:
        p.ReuseMemo(*entry, list);
        return;
    case TnvBaseParser::TMemoStep::Store:
        break;
    }
    // The rule runs from a root of its own, so that its stretches can hang
    // below any path; the pass reads that list meanwhile.
    TnvPooledWayPointsList stretches;
    stretches->Add(WayPointCache().GetMemoRoot(tokenIndex));
    const TnvBaseParser::TMemoState state = p.BeginMemo();
    struct Restore {
        TnvWayPass &Pass;
        TnvWayPointsList &List;
        const TnvBaseParser::TMemoState &State;
        bool Stored = false;
        ~Restore()
        {
            Pass.List = &List;
            if (!Stored)
                Pass.Parser.AbandonMemo(State);
        }
    } restore{pass, list, state};
    pass.List = stretches.Get();
    body();
    pass.List = &list;
    restore.Stored = true;
    p.StoreMemo(rule, tokenIndex, state, *stretches, list);
}

template <class EagerAt, class Body> void MemoWhen(TnvBuildPass &, int, EagerAt &&, Body &&body) { body(); }

template <class Body> void Memo(TnvWayPass &pass, int rule, const TnvGate *eager, Body &&body)
{
    TnvBaseParser &p = pass.Parser;
    MemoWhen(pass, rule, [&](int next) { return eager && eager->Contains(p.KindAt(next)); },
             std::forward<Body>(body));
}

template <class Body> void Memo(TnvBuildPass &, int, const TnvGate *, Body &&body) { body(); }

// Counts one level of nesting for the life of the guard (see MaxNestingDepth).
class Nest {
public:
    explicit Nest(TnvWayPass &pass) : FParser(pass.Parser) { FParser.EnterNesting(*pass.List); }
    explicit Nest(TnvBuildPass &pass) : FParser(pass.Parser) { FParser.EnterNesting(); }
    ~Nest() { FParser.LeaveNesting(); }
    Nest(const Nest &) = delete;
    Nest &operator=(const Nest &) = delete;

private:
    TnvBaseParser &FParser;
};

} // namespace grammar

} // namespace nvqb
