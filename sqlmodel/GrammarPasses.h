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
#include "sqlmodel/Parser.h"

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

// [ body ]: taken when the next token is in `first`. With `skipOnlyBefore`
// the part may be skipped only when the next token is in that set.
template <class Body>
bool Opt(TnvWayPass &pass, const TnvGate *first, const TnvGate *skipOnlyBefore, Body &&body)
{
    TnvBaseParser &p = pass.Parser;
    TnvWayPointsList &list = *pass.List;
    if (list.IsEmpty())
        return false;
    TnvPooledWayPointsList skip;
    p.ListAddWithWayNode(*skip, list, 0);
    if (skipOnlyBefore)
        p.CheckLAToken(*skip, *skipOnlyBefore);
    Gate(pass, first);
    p.AddWayNode(list, 1);
    if (!list.IsEmpty())
        body();
    list.AddFrom(*skip);
    return false;
}

template <class Body> bool Opt(TnvBuildPass &pass, const TnvGate *, const TnvGate *, Body &&body)
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
        list.CopyFrom(*start);
        Gate(pass, gates[i]);
        if (list.IsEmpty())
            return;
        p.AddWayNode(list, i);
        branch();
        result->AddFrom(list);
        list.Clear();
    };
    (tryBranch(branches), ...);
    list.MoveFrom(*result);
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
        result->AddFrom(*branch);
        branch->Clear();
    }
    list.MoveFrom(*result);
    return nullptr;
}

template <size_t N> const TnvToken *OneOf(TnvBuildPass &pass, const int (&)[N])
{
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
    auto addExits = [&] {
        TnvPooledWayPointsList leaving;
        p.ListAddWithWayNode(*leaving, list, 0);
        if (exitOnlyBefore)
            p.CheckLAToken(*leaving, *exitOnlyBefore);
        exits->AddFrom(*leaving);
    };
    addExits();
    for (;;) {
        Gate(pass, first);
        if (list.IsEmpty())
            break;
        p.AddWayNode(list, 1);
        body();
        if (list.IsEmpty())
            break;
        addExits();
    }
    list.MoveFrom(*exits);
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
