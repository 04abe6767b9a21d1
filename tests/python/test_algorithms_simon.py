import pytest

import qelix


def bits(value, n):
    return [bool((value >> k) & 1) for k in range(n)]


def test_worked_cases():
    r = qelix.simon_hidden_xor([True])
    assert r == {"secret": [True], "iterations_needed": 0}
    assert list(r) == ["secret", "iterations_needed"]
    assert qelix.simon_hidden_xor([True, False]) == {"secret": [True, False], "iterations_needed": 1}
    assert qelix.simon_hidden_xor((True, True)) == {"secret": [True, True], "iterations_needed": 1}


def test_every_secret_up_to_six_bits_is_recovered_with_n_minus_one_equations():
    for n in range(2, 7):
        for s in range(1, 2**n):
            r = qelix.simon_hidden_xor(bits(s, n), seed=s)
            assert r == {"secret": bits(s, n), "iterations_needed": n - 1}


def test_seed_does_not_change_the_result():
    secret = bits(0b1011001, 7)
    assert qelix.simon_hidden_xor(secret, seed=1) == qelix.simon_hidden_xor(secret, seed=2)
    assert qelix.simon_hidden_xor(secret) == qelix.simon_hidden_xor(secret, None)


@pytest.mark.parametrize("secret", [[], [False, False], (False,)])
def test_zero_secrets_are_refused(secret):
    with pytest.raises(ValueError, match=r"^Simon secret must be a non-zero bitstring$"):
        qelix.simon_hidden_xor(secret)


def test_element_and_sequence_types():
    with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
        qelix.simon_hidden_xor("101")
    with pytest.raises(TypeError, match="^argument 'secret'"):
        qelix.simon_hidden_xor([1, 0])
    with pytest.raises(TypeError, match="^argument 'secret'"):
        qelix.simon_hidden_xor(5)


def test_sizes():
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(130 > 128\)$"):
        qelix.simon_hidden_xor([True] * 65)
    with pytest.raises(ValueError, match=r"^Insufficient memory for 128-qubit simulation"):
        qelix.simon_hidden_xor([True] * 64)
    assert qelix.simon_hidden_xor([False, True])["secret"] == [False, True]
