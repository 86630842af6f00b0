# The Python module against known counts, the command line's figures and a
# brute force on small problems; run by pytest, or as a plain script.
import itertools
import signal
import threading
from fractions import Fraction

import fractions_unitaires as fu


def brute(n, f, type=1, parity="any", bound=None):
    """Every solution in decreasing lexicographic order, by exhaustion."""
    out = []

    def walk(prefix, rest, k):
        if k == 0:
            if rest == 0:
                out.append(tuple(prefix))
            return
        if rest <= 0:
            return
        low = max(prefix[-1] + (type == 2) if prefix else 1, -(-rest.denominator // rest.numerator))
        for x in range(int(k / rest), low - 1, -1):
            if (parity == "odd" and x % 2 == 0) or (parity == "even" and x % 2 == 1):
                continue
            if bound is None or x <= bound:
                walk(prefix + [x], rest - Fraction(1, x), k - 1)

    walk([], Fraction(f), n)
    return out


def fingerprint(solutions):
    """The documented fingerprint: the sum modulo 2^61 - 1 of the mixed
    polynomial hash of x1 .. x(n-1) of each solution."""
    p, mask = 2**61 - 1, 2**64 - 1
    s = 0x2545F4914F6CDD1D % p

    def mix(h):
        h ^= h >> 30
        h = (h * 0xBF58476D1CE4E5B9) & mask
        h ^= h >> 27
        h = (h * 0x94D049BB133111EB) & mask
        h ^= h >> 31
        return h % p

    total = 0
    for x in solutions:
        total += mix(sum(v * pow(s, k + 1, p) for k, v in enumerate(x[:-1])) % p)
    return "%016x" % (total % p)


def test_verify_and_fingerprint():
    r = fu.verify(5, Fraction(2, 3), 1000, type="both", seed=5, threads=2)
    assert r["agree"] and r["differences"] == [] and r["seed"] == 5
    assert r["units_recounted"] == r["units"] >= 1
    assert r["fingerprint"] == fingerprint(brute(5, Fraction(2, 3)))
    assert r["fingerprint2"] == fingerprint(brute(5, Fraction(2, 3), type=2))
    assert r["solutions"] == len(brute(5, Fraction(2, 3)))
    a = fu.verify(7, 1, 3, seed=11)
    assert a["units_recounted"] == 3 and a["agree"]
    assert a["solutions_recounted"] == fu.verify(7, 1, 3, seed=11)["solutions_recounted"]


def test_known_counts():
    assert fu.count(6, 1) == 3462
    assert fu.count(7, "1", type=2) == 245765
    assert fu.count(7, 1, type="both") == (294314, 245765)
    assert fu.count(8, 1, prefix=(2, 3, 7, 43, 1807)) == 1577340
    assert fu.count(8, 1, type=2, prefix=[2, 3, 7, 43, 1807]) == 1576368
    assert fu.count(2, "1/18446744073709551616") == 65


def test_fraction_forms_agree():
    assert fu.count(5, Fraction(2, 3)) == fu.count(5, "2/3") == fu.count(5, "4/6", threads=1)


def test_solutions_against_brute_force():
    cases = [(3, Fraction(1, 2), 1, "any", None), (4, Fraction(3, 4), 2, "any", None),
             (4, 1, 1, "odd", None), (3, Fraction(2, 5), 1, "any", 40), (2, Fraction(1, 12), 2, "even", None),
             (1, Fraction(1, 7), 1, "any", None), (3, 5, 1, "any", None)]
    for n, f, t, p, m in cases:
        got = list(fu.solutions(n, f, type=t, parity=p, max=m))
        assert got == brute(n, f, t, p, m), (n, f, t, p, m)
        assert fu.count(n, f, type=t, parity=p, max=m) == len(got)
        assert fu.count(n, f, type="both", parity=p, max=m) == (len(brute(n, f, 1, p, m)), len(brute(n, f, 2, p, m)))


def test_solutions_stop_early_and_large_values():
    first = list(itertools.islice(fu.solutions(9, 1), 3))  # n = 9 is not searched to its end
    assert len(first) == 3 and all(sum(Fraction(1, x) for x in s) == 1 for s in first)
    big = list(fu.solutions(2, "1/18446744073709551616"))
    assert len(big) == 65 and big[-1] == (18446744073709551617, 340282366920938463481821351505477763072)


def test_estimate_is_a_dict_like_the_json():
    e = fu.estimate(7, 1)
    assert e["n"] == 7 and e["solutions_low"] <= 294314 <= e["solutions_high"]


def test_errors():
    for bad in [lambda: fu.count(0, 1), lambda: fu.count(3, "1/0"), lambda: fu.count(3, 1, type=3),
                lambda: fu.count(3, 1, prefix=(3, 2)), lambda: fu.count(3, 1, parity="both"),
                lambda: fu.solutions(3, 1, type="both")]:
        try:
            bad()
        except ValueError:
            continue
        raise AssertionError("no ValueError")


def test_ctrl_c_stops_a_count():
    timer = threading.Timer(1.0, lambda: signal.raise_signal(signal.SIGINT))
    timer.start()
    try:
        fu.count(8, 1)
    except KeyboardInterrupt:
        pass
    else:
        raise AssertionError("Ctrl-C did not stop the count")


if __name__ == "__main__":
    for name, test in list(globals().items()):
        if name.startswith("test_"):
            test()
    print("ok")
