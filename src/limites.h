// Every limit of the program in one place: each size budget, cap, table
// bound and work-unit size, with the reason it holds. Where a limit is
// relied on, ASSERT_LIMITE checks it in the sanitizer build.
#pragma once

#include <chrono>
#include <cstdint>

namespace fractions_unitaires::moteur {

namespace limites {

// Dialogue.
// Answers are tokens of at most 199 characters (the buffer of 200 holds the
// final NUL): every number typed is below 10^199.
constexpr int TAILLE = 200;
// Largest n accepted: five vectors of n+1 numbers are set up before any
// search, and each calculation must start in well under a second.
constexpr long NMAX = 10000;

// Words. A Mot holds 127 bits and a sign; each of its operations is checked,
// so no budget is needed for correctness. This one only decides when a
// search on ZZ comes back to words: when the sum and the problem are small
// enough that the products of the bounds (P D, Q N, Q D h, below 2^126) fit,
// so that the next word step does not overflow at once.
constexpr long BUDGET_MOTS = 125;
// The problem on words: P and Q within the budget; a bound M beyond it is
// above every word value the search can hold, so on words it never binds.
constexpr long BITS_PROBLEME = 125;

// Closing of the last two unknowns (1/u + 1/v = c/d with c, d coprime).
// d below 2^125: the divisors A <= d of d^2 that are enumerated, their
// products and c u <= 2 d all fit in 127 bits.
constexpr int BITS_D = 125;
// c below 2^62: residues modulo c are 64-bit, and their products 128-bit.
constexpr int BITS_C = 62;
// Below 2^50, the quotient by c of a product of two residues is computed in
// double precision within one of the true one (53-bit mantissas).
constexpr int BITS_QUOTIENT_FLOTTANT = 50;
// Below 2^26, a product of two residues is below 2^52 and exact in double
// precision, as is the quotient times c.
constexpr int BITS_PRODUIT_EXACT = 26;
// An exponent in d below 2^125: 124 at most.
constexpr int EXPOSANT_MAX = BITS_D - 1;
// A number below 2^125 has at most 26 distinct primes (2 3 ... 101 is
// above 2^125): room for every prime of d.
constexpr int PREMIERS_MAX = 26;
// Numbers are factorised below 2^125, the size of d (trial division,
// Miller-Rabin and Pollard's rho on 64-bit words, and on ZZ past them).
// Pollard's rho takes at most this many steps on a number past 64 bits
// (some milliseconds, once for each prefix that meets it): it finds any
// prime up to about 2^32; past them, a number with two larger primes
// leaves the closing to the plain walk.
constexpr int BITS_FACTORISATION = 125;
constexpr std::int64_t RHO_MAX = std::int64_t(1) << 16;
// Windows of the sieve that factors the values of x(n-2) as the walk goes
// down: this many values at once. Each value has at most 15 distinct primes
// (2 3 ... 53 is above 2^64), so a window takes 2^15 * 16 slots.
constexpr std::int64_t FENETRE = std::int64_t(1) << 15;
constexpr int PREMIERS_PAR_VALEUR = 16;
// The sieve runs up to values of 2^52: its primes, up to 2^26, number
// about four million. Larger values are factorised one at a time.
constexpr int BITS_CRIBLE = 52;
// The sieve goes from one window to the next one down without a division
// for the first 2^19 primes (up to 7754077, the square root of 6 * 10^13:
// the values of the heavy branches of n = 9), in 4 MB a search; larger
// primes start each window from a division.
constexpr int PREMIERS_SUIVIS = 1 << 19;
// Primes up to this many have many multiples in a window: their powers
// are sieved, those of larger primes found from each multiple.
constexpr unsigned PETITS_PREMIERS = 256;
// A walk shorter than this many values is not worth a window: each value
// is factorised alone.
constexpr std::int64_t MARCHE_COURTE = 16;

// Work units of a count shared between threads (or machines). A unit is a
// range of values of one unknown under a fixed prefix, estimated to hold
// about this many prefixes x1 .. x(n-2): about a tenth of a second of
// work, so that a count of n = 8 gives thousands of units and no unit
// bounds the total on 64 workers.
constexpr double UNITE = 131072;
// An estimate of a subtree stops growing past this many prefixes, or when
// the denominators of its greedy path pass this many bits: it only decides
// whether a node is split, and along that path the numbers square at each
// level, so that a deeper path would take ever larger numbers.
constexpr double ESTIMATION_MAX = 1e300;
constexpr long BITS_ESTIMATION = 1024;
// Nor does it look further down than this many unknowns: a node with more
// below it is split without an estimate. An estimate costs a GCD per level
// and a node is estimated a few dozen times, and a search with that many
// open unknowns below one node ends only when its widths are all 1.
constexpr int NIVEAUX_ESTIMATION = 64;
// The random paths of the batch estimator stop at sums of this many bits:
// a count whose prefixes hold such numbers could not end anyway.
constexpr long BITS_SONDE = 1 << 14;
// The estimator's paths go down at most this many levels in all (4096
// paths to size the units, 16 in each of 16384 strata for an estimate),
// fewer paths for more unknowns: past 16 unknowns a path costs more
// than the estimate gains from it, and an estimate must end in seconds.
constexpr double NIVEAUX_SONDES = 4096 * 16;
constexpr double NIVEAUX_ESTIMATION_LONGUE = 16384 * 16 * 16;
// The estimate draws values of x(n-2) whose u = c v - d (c/d: what remains
// before it) is made mostly of the primes of d: numbers made of those
// primes, at most this many, the smallest first (a path builds them once).
constexpr std::size_t PARTIES_MAX = 4096;
// Strata of an estimate at most (n = 9 takes about 34000).
constexpr std::int64_t STRATES_MAX = 65536;
// Past this many prefixes (thousands of core-years at a microsecond each),
// a count is out of reach: its estimate is drawn in one stratum, to tell
// its order of magnitude, rather than cut finely at great cost.
constexpr double PREFIXES_STRATES = 1e18;
// Steps allowed to count the pairs of one prefix (or one range of them)
// met by the estimator: past them, its numbers are beyond the words, the
// pairs are walked one by one, and the count is left unknown.
constexpr std::int64_t PAS_SONDE = 1 << 20;
// An estimate of a count of one prefix (at most two unknowns, or under a
// prefix of n-2 values) counts it within this many steps, a few seconds;
// past them its numbers are past the words, and the count is unknown.
constexpr std::int64_t PAS_EXACT = std::int64_t(1) << 22;
// An estimate of a count whose coarse estimate is at most this many
// prefixes counts it instead, within PAS_PETIT_COMPTE steps (about a
// second): the estimate closes about a million values of x(n-2) drawn
// at random, some 5 us each, whatever the size of the tree, where a count
// closes consecutive values at under a microsecond, and is exact.
constexpr double PREFIXES_COMPTES = 1 << 21;
constexpr std::int64_t PAS_PETIT_COMPTE = std::int64_t(1) << 24;
// Steps of the search before a count is shared between threads: smaller
// searches end sooner than the threads would start.
constexpr std::int64_t PAS_AVANT_PARTAGE = 200000;
// A count is shared only when the rows of its partial table are at least
// this many solutions apart: each unit that holds a row is counted, then
// walked again to show it.
constexpr long PERIODE_PARTAGE = 1024;
// Units handed out ahead of the one being merged, per worker: enough to
// keep every worker busy while a long unit is merged, few enough that the
// results waiting for their turn stay small.
constexpr int AVANCE_PAR_TRAVAILLEUR = 64;
// A listing's units carry their solutions as text, tens of bytes a line:
// units of UNITE_LISTE estimated prefixes, AVANCE_LISTE per worker ahead,
// keep what waits for its turn to a few megabytes per worker.
constexpr double UNITE_LISTE = 4096;
constexpr int AVANCE_LISTE = 4;
// The longest a merge waits for a result before it looks again at what
// it must do besides (a signal to save and stop, a checkpoint, the status
// line): units may take minutes.
constexpr std::chrono::milliseconds ATTENTE{100};
// A counting rank of an MPI run outlives a signal by this much, so that
// rank 0, signalled too, saves what is finished before the job is torn
// down (mpiexec kills what is left a second after its own signal).
constexpr std::chrono::milliseconds SURSIS_RANG{2000};
// Threads of one process at most: each holds a whole search and its
// tables, and the largest machines have a few hundred cores; a hundred
// thousand threads would take minutes to start and gigabytes of stacks.
constexpr int TRAVAILLEURS_MAX = 4096;

// The batch counter's files. A checkpoint holds the totals and the units
// finished ahead of the merge (at most AVANCE_PAR_TRAVAILLEUR per worker),
// each with two solutions: kilobytes for a machine, some 150 MB for 4096
// workers on n = 9; with it, the count and fingerprint of each unit merged,
// some 60 MB for the million units of n = 9 (both types). No checkpoint or shard result is larger than this, so
// a larger file is refused unread (a device, a log passed by mistake).
constexpr std::int64_t FICHIER_MAX = std::int64_t(256) << 20;
// Shards of a count at most: a count has at most about a million units,
// and a shard without a unit is empty.
constexpr int TRANCHES_MAX = 1 << 20;

}  // namespace limites

#ifdef VERIFIE_LIMITES
[[noreturn]] void echecLimite(const char* condition, const char* fichier, int ligne);
#endif

}  // namespace fractions_unitaires::moteur

#ifdef VERIFIE_LIMITES
#define ASSERT_LIMITE(c) ((c) ? void(0) : ::fractions_unitaires::moteur::echecLimite(#c, __FILE__, __LINE__))
#else
#define ASSERT_LIMITE(c) ((void)0)
#endif
