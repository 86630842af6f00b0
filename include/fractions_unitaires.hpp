// fractions_unitaires: the solutions in positive integers of
//
//     1/x1 + ... + 1/xn = P/Q,   x1 <= ... <= xn (type 1) or x1 < ... < xn (type 2),
//
// counted, listed or estimated exactly, on every core, by the engine of the
// programs fractions-unitaires and fractions-compte. Numbers are NTL's ZZ
// (arbitrary precision). Every error is a fractions_unitaires::Error with
// a one-line message; the library prints nothing.
//
//     #include <fractions_unitaires.hpp>
//     namespace fu = fractions_unitaires;
//     fu::Problem p = fu::problem(8, "1");         // n = 8, P/Q = 1
//     p.prefix = {NTL::ZZ(2), NTL::ZZ(3), NTL::ZZ(7), NTL::ZZ(43), NTL::ZZ(1807)};
//     fu::Totals t = fu::count(p);                 // t.solutions == 1577340
//
// Link with FractionsUnitaires::fractions (find_package(FractionsUnitaires)).
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <NTL/ZZ.h>

namespace fractions_unitaires {

// A problem or an option out of range, a checkpoint that cannot be used,
// a count stopped by its progress callback (cancelled() is then true).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, bool cancelled = false)
        : std::runtime_error(message), cancelled_(cancelled) {}
    bool cancelled() const { return cancelled_; }

private:
    bool cancelled_;
};

enum class Parity { any, odd, even };

struct Problem {
    int n = 1;                    // unknowns, 1 to 10000
    NTL::ZZ P{1}, Q{1};           // the fraction (reduced by the engine)
    // 1: non-strict order, 2: strict order, both: the two counted in one
    // walk (a listing is of one type).
    static constexpr int both = 3;
    int type = 1;
    Parity parity = Parity::any;  // all unknowns odd, or all even
    NTL::ZZ max{0};               // bound on xn; 0: none
    // Only the solutions that begin with these values (fewer than n).
    std::vector<NTL::ZZ> prefix;
    // The shard-th of `shards` fixed slices of a count (1 <= shard <=
    // shards): counts of the shards of one problem add up to the whole.
    int shard = 1, shards = 1;
};

// A problem from its fraction written "P/Q" or "P"; throws Error.
Problem problem(int n, const std::string& fraction);

// What a count found of one type: the number of solutions, the largest
// xn, and the first and last solutions in the order of the interactive
// table (decreasing lexicographic order); empty when there is none.
struct TypeTotals {
    NTL::ZZ solutions;
    // The fingerprint of every solution, 16 hexadecimal digits: a sum
    // modulo 2^61 - 1 of a hash of each, the same however the count is
    // shared, cut into shards or resumed.
    std::string fingerprint;
    NTL::ZZ xn_max;
    NTL::ZZ x1_min;  // the smallest x1, that of the last solution
    std::vector<NTL::ZZ> first, last;
};

// What a count found: with Problem::both, the fields of TypeTotals are
// those of type 1, and type2 those of type 2.
// What one work unit found: its solutions and their fingerprint (and,
// with Problem::both, those of type 2).
struct UnitResult {
    std::int64_t unit = 0;
    std::int64_t solutions = 0, solutions2 = 0;
    std::string fingerprint, fingerprint2;
};

struct Totals : TypeTotals {
    TypeTotals type2;
    std::int64_t units = 0;  // work units of the whole count
    double seconds = 0;
    // Each unit of the count (of its shard) that holds solutions, by
    // index: what verify() compares.
    std::vector<UnitResult> unit_results;
};

// How far a count is: the share of its estimated work done (0 to 1), the
// solutions merged so far, the seconds.
struct Progress {
    double done = 0;
    NTL::ZZ solutions;
    double seconds = 0;
};

struct CountOptions {
    int threads = 0;  // 0: every core
    // When not empty, progress is saved there every `every` seconds and at
    // the end (atomically, the file locked for the life of the count; a
    // save that fails is tried again at the next one); a count given
    // `resume` goes on from it when it exists.
    std::string checkpoint;
    double every = 60;
    bool resume = false;
    // Called between work units, at least ten times a second; returning
    // false stops the count (what is finished is saved first) with an
    // Error whose cancelled() is true.
    std::function<bool(const Progress&)> progress;
};

Totals count(const Problem& p, const CountOptions& options = {});

// The recount of some units of a count by an independent search: the plain
// step machine on exact integers, its pairs closed from every divisor of
// d^2. `differences` holds each unit whose count or fingerprint differs
// from the count's.
struct Verification {
    std::uint64_t seed = 0;
    std::int64_t units = 0;  // units recounted
    NTL::ZZ solutions;       // their solutions (of type 1, with Problem::both)
    struct Difference {
        std::int64_t unit = 0;
        std::vector<NTL::ZZ> prefix;  // x1 .. xk, xk the top of the unit's range
        NTL::ZZ bottom;               // the bottom of that range
        UnitResult count, recount;
    };
    std::vector<Difference> differences;
    bool agrees() const { return differences.empty(); }
};

// Recounts `units` units of the count of p whose totals are t, drawn with
// `seed` (every unit when there are not so many), on `threads` threads (0:
// every core); throws Error.
Verification verify(const Problem& p, const Totals& t, std::int64_t units, std::uint64_t seed, int threads = 0);

// Every solution, lazily, in the order of the interactive table; the work
// units are listed by every core, a few ahead of the one being read.
// Destroying a listing stops its threads at once.
class Listing {
public:
    // `keep_going`, when given, is called at least ten times a second
    // while the next solutions are awaited: false stops the listing with
    // an Error whose cancelled() is true.
    explicit Listing(const Problem& p, int threads = 0, std::function<bool()> keep_going = {});
    ~Listing();
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    // The next solution, x1 .. xn; false after the last.
    bool next(std::vector<NTL::ZZ>& x);
    // The next solutions as text, appended to `lines`: one line each, the
    // values in decimal separated by spaces; false after the last.
    bool next_lines(std::string& lines);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Gives every solution to `each`, in order, until it returns false;
// returns the number of solutions given.
std::int64_t list(const Problem& p, const std::function<bool(const std::vector<NTL::ZZ>&)>& each,
                  int threads = 0);

// One quantity estimated, with its 95 % interval; NaN where it cannot
// know. `lower_bound`: paths were cut short, and only a lower bound is
// known (in `value`).
struct Quantity {
    double value = NAN, low = NAN, high = NAN;
    bool lower_bound = false;
    bool known() const { return !std::isnan(value); }
};

// An estimate of a count before doing it: random paths down its search
// tree, stratified, the pairs of each prefix reached counted exactly.
struct Estimate {
    Quantity prefixes;    // x1 .. x(n-2) whose pairs are closed
    Quantity solutions;   // with Problem::both, of type 1
    Quantity solutions2;  // with Problem::both, of type 2
    Quantity core_hours;  // from the measured cost of a prefix
    double units = NAN;   // work units of the count
    double ns_per_prefix = NAN;
    std::int64_t samples = 0, strata = 0, paths_cut = 0;
    double seconds = 0;   // the estimate's own
};

Estimate estimate(const Problem& p);
// The same as a JSON object: that of `fractions-compte --estimate --json`.
std::string estimate_json(const Problem& p);

}  // namespace fractions_unitaires
