import pytest

import qelix

KEYS = ["n", "factors", "base_a", "period_r", "period", "attempts", "success"]


def is_prime(n):
    return n >= 2 and all(n % d for d in range(2, int(n**0.5) + 1))


def coprime_bases(n):
    from math import gcd

    return [a for a in range(2, n) if gcd(a, n) == 1]


@pytest.mark.parametrize("n", [0, 1, 2, 3])
def test_numbers_below_four_are_refused(n):
    with pytest.raises(ValueError, match=r"^Simulation error: N must be at least 4$"):
        qelix.shor_factor(n)


def test_shortcuts_for_even_numbers_and_perfect_powers():
    assert qelix.shor_factor(4) == {
        "n": 4, "factors": [2, 2], "base_a": 2, "period_r": 0, "period": 0, "attempts": 1, "success": True,
    }
    assert list(qelix.shor_factor(4)) == KEYS
    assert qelix.shor_factor(1000)["factors"] == [2, 500]
    assert qelix.shor_factor(9)["factors"] == [3, 3]
    assert qelix.shor_factor(27)["factors"] == [3, 9]
    r = qelix.shor_factor(729)
    assert (r["factors"], r["base_a"], r["period_r"], r["attempts"]) == ([3, 243], 3, 0, 1)


def test_register_limit():
    assert qelix.shor_factor(255, seed=1)["n"] == 255
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(17 > 16\)$"):
        qelix.shor_factor(257)


def test_primes_fail_after_the_allowed_attempts():
    assert qelix.shor_factor(7, seed=4) == {
        "n": 7, "factors": [1, 7], "base_a": 0, "period_r": 0, "period": 0, "attempts": 5, "success": False,
    }
    assert qelix.shor_factor(251)["attempts"] == 10


def test_fifteen_from_every_start():
    seen = set()
    for seed in range(100):
        r = qelix.shor_factor(15, seed=seed)
        assert r["success"] is True
        seen.add(r["base_a"])
        assert r["factors"] == ([3, 5] if r["base_a"] == 11 else [5, 3])
        assert r["attempts"] in (1, 2)
        if r["attempts"] == 2:
            assert r["base_a"] == 2
    assert 14 not in seen
    assert seen <= {2, 4, 7, 8, 11, 13}


def test_every_odd_composite_up_to_255_factors_or_fails_as_documented():
    for n in range(9, 256, 2):
        if is_prime(n):
            continue
        for seed in (0, 1):
            r = qelix.shor_factor(n, seed=seed)
            assert list(r) == KEYS and r["period"] == r["period_r"] and r["n"] == n
            if r["success"]:
                p, q = r["factors"]
                assert 2 <= p < n and p * q == n
                if r["period_r"]:
                    assert pow(r["base_a"], r["period_r"], n) == 1
            else:
                assert r == {
                    "n": n, "factors": [1, n], "base_a": 0, "period_r": 0, "period": 0,
                    "attempts": min(len(coprime_bases(n)), 10), "success": False,
                }


def test_seeded_calls_repeat():
    for n in (21, 33, 91, 221):
        assert qelix.shor_factor(n, seed=99) == qelix.shor_factor(n, seed=99)


def test_argument_conversion():
    with pytest.raises(OverflowError):
        qelix.shor_factor(-15)
    with pytest.raises(OverflowError):
        qelix.shor_factor(2**64)
    with pytest.raises(ValueError):
        qelix.shor_factor(2**64 - 1)  # odd, no perfect power, far above the register limit
