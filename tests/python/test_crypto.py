import hashlib
import importlib
import random

import pytest

import qelix
from qelix import crypto

KEM_LEVELS = [
    # name, marker, public key, secret key, ciphertext (serialized lengths)
    ("level1", 0x01, 801, 1633, 801),
    ("level3", 0x03, 1185, 2401, 1121),
    ("level5", 0x05, 1569, 3169, 1601),
]

FUNCTIONS = [
    ("kem_keygen", "(level=None)"),
    ("kem_encapsulate", "(public_key)"),
    ("kem_decapsulate", "(secret_key, ciphertext)"),
    ("sign_keygen", "(scheme=None)"),
    ("sign", "(secret_key, message)"),
    ("verify", "(public_key, message, signature)"),
    ("sha3_256", "(data)"),
    ("sha3_512", "(data)"),
    ("shake128", "(data, output_len)"),
    ("shake256", "(data, output_len)"),
    ("random_bytes", "(n)"),
    ("random_bits", "(n)"),
    ("random_seed", "()"),
    ("random_u64", "()"),
]


def flip_bit(data, bit):
    damaged = bytearray(data)
    damaged[bit // 8] ^= 1 << (bit % 8)
    return bytes(damaged)


# ---------------------------------------------------------------- module shape


def test_crypto_is_a_plain_attribute_module():
    assert crypto.__name__ == "crypto"
    assert qelix.__all__.index("crypto") > qelix.__all__.index("Circuit")
    with pytest.raises(ImportError):
        importlib.import_module("qelix.crypto")


def test_functions_are_registered_in_order_with_signature_only_docs():
    assert crypto.__all__ == [name for name, _ in FUNCTIONS]
    for name, signature in FUNCTIONS:
        fn = getattr(crypto, name)
        assert fn.__name__ == name
        assert fn.__text_signature__ == signature
        assert fn.__doc__ is None


# ---------------------------------------------------------------- hashing

RATE_EDGES = sorted({n + d for n in (0, 72, 136, 168, 2 * 136, 2 * 168) for d in (-1, 0, 1) if n + d >= 0})


@pytest.mark.parametrize("length", RATE_EDGES)
def test_digests_agree_with_hashlib_around_rate_boundaries(length):
    data = bytes(random.Random(length).randrange(256) for _ in range(length))
    assert crypto.sha3_256(data) == hashlib.sha3_256(data).digest()
    assert crypto.sha3_512(data) == hashlib.sha3_512(data).digest()
    for out_len in (1, 32, 167, 168, 169, 337):
        assert crypto.shake128(data, out_len) == hashlib.shake_128(data).digest(out_len)
        assert crypto.shake256(data, out_len) == hashlib.shake_256(data).digest(out_len)


def test_digests_agree_with_hashlib_on_one_mebibyte():
    data = random.Random(1).randbytes(1 << 20)
    assert crypto.sha3_256(data) == hashlib.sha3_256(data).digest()
    assert crypto.sha3_512(data) == hashlib.sha3_512(data).digest()
    assert crypto.shake128(data, 4096) == hashlib.shake_128(data).digest(4096)
    assert crypto.shake256(data, 4096) == hashlib.shake_256(data).digest(4096)


def test_known_empty_message_digests_and_empty_output():
    assert crypto.sha3_256(b"").hex() == "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"
    assert crypto.sha3_512(b"").hex().startswith("a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a6")
    assert crypto.shake128(b"abc", 0) == b""
    assert crypto.shake256(b"abc", output_len=0) == b""
    long = crypto.shake128(data=b"abc", output_len=200)
    assert len(long) == 200 and long[:32] == crypto.shake128(b"abc", 32)


@pytest.mark.parametrize("value", ["abc", bytearray(b"abc"), memoryview(b"abc"), [1, 2], None])
def test_hash_data_must_be_bytes(value):
    for fn in (crypto.sha3_256, crypto.sha3_512):
        with pytest.raises(TypeError, match="^argument 'data'"):
            fn(value)
    with pytest.raises(TypeError, match="^argument 'data'"):
        crypto.shake128(value, 4)


def test_output_len_conversion_and_unallocatable_lengths():
    with pytest.raises(OverflowError):
        crypto.shake128(b"", -1)
    with pytest.raises(OverflowError):
        crypto.shake256(b"", 2**64)
    with pytest.raises(TypeError, match="^argument 'output_len'"):
        crypto.shake256(b"", 4.0)
    for huge in (2**63, 2**64 - 1, 2**48):
        with pytest.raises(MemoryError):
            crypto.shake128(b"", huge)


# ---------------------------------------------------------------- key encapsulation


@pytest.mark.parametrize("name, marker, pk_len, sk_len, ct_len", KEM_LEVELS)
def test_kem_exchange_at_every_level(name, marker, pk_len, sk_len, ct_len):
    pk, sk = crypto.kem_keygen(name)
    assert (len(pk), len(sk), pk[0], sk[0]) == (pk_len, sk_len, marker, marker)
    ct, secret = crypto.kem_encapsulate(pk)
    assert len(ct) == ct_len and ct[0] == marker and len(secret) == 32
    assert crypto.kem_decapsulate(sk, ct) == secret
    assert crypto.kem_decapsulate(secret_key=sk, ciphertext=ct) == secret


def test_kem_level_names():
    pk, sk = crypto.kem_keygen()
    assert (len(pk), len(sk), pk[0]) == (1185, 2401, 0x03)
    assert crypto.kem_keygen(None)[0][0] == 0x03
    assert len(crypto.kem_keygen(" Level5 ")[0]) == 1569
    assert len(crypto.kem_keygen("ML-KEM-1024")[1]) == 3169
    assert crypto.kem_keygen(level="\u3000mlkem512\n")[0][0] == 0x01
    for bad, shown in (("level2", "level2"), ("  LEVEL7 ", "level7"), ("", "")):
        with pytest.raises(ValueError) as info:
            crypto.kem_keygen(bad)
        assert str(info.value) == f"unknown ML-KEM level '{shown}'; expected level1, level3, or level5"
    with pytest.raises(TypeError, match="^argument 'level'"):
        crypto.kem_keygen(3)


@pytest.mark.parametrize("name, marker, pk_len, sk_len, ct_len", KEM_LEVELS)
def test_kem_tampering_any_bit_raises(name, marker, pk_len, sk_len, ct_len):
    pk, sk = crypto.kem_keygen(name)
    ct, _ = crypto.kem_encapsulate(pk)
    rng = random.Random(ct_len)
    tag_bits = rng.sample(range(8, 8 * 33), 24)
    raw_bits = rng.sample(range(8 * 33, 8 * ct_len), 24) + [8 * ct_len - 1]
    for bit in tag_bits + raw_bits:
        with pytest.raises(RuntimeError, match="^ciphertext integrity check failed$"):
            crypto.kem_decapsulate(sk, flip_bit(ct, bit))


def test_kem_wrong_key_and_level_mismatch_are_runtime_errors():
    pk, _ = crypto.kem_keygen("level3")
    _, other_sk = crypto.kem_keygen("level3")
    ct, _ = crypto.kem_encapsulate(pk)
    with pytest.raises(RuntimeError, match="^ciphertext integrity check failed$"):
        crypto.kem_decapsulate(other_sk, ct)
    _, sk1 = crypto.kem_keygen("level1")
    with pytest.raises(RuntimeError) as info:
        crypto.kem_decapsulate(sk1, ct)
    assert str(info.value) == "invalid key material: key and ciphertext security levels do not match"


def kem_error(fn, *args):
    with pytest.raises(ValueError) as info:
        fn(*args)
    return str(info.value)


def test_kem_malformed_input_messages():
    pk, sk = crypto.kem_keygen("level3")
    ct, _ = crypto.kem_encapsulate(pk)
    enc, dec = crypto.kem_encapsulate, crypto.kem_decapsulate
    prefix = "invalid key material: "
    assert kem_error(enc, b"") == prefix + "serialized public key is empty"
    assert kem_error(enc, b"\x02" + pk[1:]) == prefix + "unknown ML-KEM security level marker"
    assert kem_error(enc, pk[:-1]) == prefix + "error: PublicKey expected 1184 bytes, got 1183"
    assert kem_error(enc, sk) == prefix + "error: PublicKey expected 1184 bytes, got 2400"
    assert kem_error(dec, b"", ct) == prefix + "serialized secret key is empty"
    assert kem_error(dec, pk, ct) == prefix + "error: SecretKey expected 2400 bytes, got 1184"
    assert kem_error(dec, sk, b"") == prefix + "serialized ciphertext is empty"
    assert kem_error(dec, sk, b"\x03" * 32) == prefix + "serialized ciphertext is missing integrity tag bytes"
    assert kem_error(dec, sk, b"\x01" + bytes(32)) == prefix + "error: Ciphertext expected 768 bytes, got 0"
    assert kem_error(dec, sk, b"\x07" + ct[1:]) == prefix + "unknown ML-KEM security level marker"
    assert kem_error(dec, sk, ct + b"\x00") == prefix + "error: Ciphertext expected 1088 bytes, got 1089"
    # The secret key is parsed before the ciphertext.
    assert kem_error(dec, b"", b"") == prefix + "serialized secret key is empty"


def test_kem_arguments_must_be_bytes():
    pk, sk = crypto.kem_keygen("level1")
    ct, _ = crypto.kem_encapsulate(pk)
    with pytest.raises(TypeError, match="^argument 'public_key'"):
        crypto.kem_encapsulate(bytearray(pk))
    with pytest.raises(TypeError, match="^argument 'secret_key'"):
        crypto.kem_decapsulate(memoryview(sk), ct)
    with pytest.raises(TypeError, match="^argument 'ciphertext'"):
        crypto.kem_decapsulate(sk, ct.hex())
    with pytest.raises(TypeError):
        crypto.kem_decapsulate(sk)


KYBER = [("level1", "ML_KEM_512"), ("level3", "ML_KEM_768"), ("level5", "ML_KEM_1024")]


@pytest.mark.parametrize("name, reference", KYBER)
def test_kem_interoperates_with_kyber_py(name, reference):
    ml_kem = pytest.importorskip("kyber_py.ml_kem")
    other = getattr(ml_kem, reference)

    # Their key pair, our encapsulation, their decapsulation.
    ek, dk = other.keygen()
    pk, _ = crypto.kem_keygen(name)
    marker = pk[:1]
    ct, secret = crypto.kem_encapsulate(marker + ek)
    assert other.decaps(dk, ct[33:]) == secret
    # Our key pair, their encapsulation, our decapsulation (the tag is made here).
    pk, sk = crypto.kem_keygen(name)
    their_secret, raw_ct = other.encaps(pk[1:])
    tag = hashlib.sha3_256(marker + their_secret + raw_ct).digest()
    assert crypto.kem_decapsulate(sk, marker + tag + raw_ct) == their_secret
    # Our key pair and ciphertext, their decapsulation with our raw secret key.
    ct, secret = crypto.kem_encapsulate(pk)
    assert other.decaps(sk[1:], ct[33:]) == secret
    assert ct[1:33] == hashlib.sha3_256(marker + secret + ct[33:]).digest()


# ---------------------------------------------------------------- signatures


def test_sign_keygen_schemes_and_names():
    pk, sk = crypto.sign_keygen()
    assert (len(pk), len(sk), pk[0], sk[0]) == (1953, 4033, 1, 1)
    pk, sk = crypto.sign_keygen(" SPHINCS+ ")
    assert (len(pk), len(sk), pk[0], sk[0]) == (33, 65, 2, 2)
    assert crypto.sign_keygen(scheme="Dilithium")[0][0] == 1
    assert crypto.sign_keygen("slh-dsa")[0][0] == 2
    with pytest.raises(ValueError) as info:
        crypto.sign_keygen("  Falcon\t")
    assert str(info.value) == "unknown signature scheme 'falcon'; expected ml_dsa or slh_dsa"
    with pytest.raises(TypeError, match="^argument 'scheme'"):
        crypto.sign_keygen(b"ml_dsa")


@pytest.mark.parametrize("scheme, sig_len", [("ml_dsa", 3310), ("slh_dsa", 17089)])
def test_sign_and_verify_round_trip(scheme, sig_len):
    pk, sk = crypto.sign_keygen(scheme)
    message = b"the quick brown fox"
    sig = crypto.sign(sk, message)
    assert len(sig) == sig_len and sig[0] == pk[0]
    assert crypto.verify(pk, message, sig) is True
    assert crypto.verify(public_key=pk, message=message, signature=sig) is True
    assert crypto.verify(pk, b"the quick brown fix", sig) is False
    assert crypto.verify(crypto.sign_keygen(scheme)[0], message, sig) is False
    assert crypto.verify(pk, message, flip_bit(sig, 8 * 100 + 3)) is False
    assert crypto.verify(pk, message, sig[:-1]) is False
    assert crypto.verify(pk, message, sig[:1]) is False
    assert crypto.verify(pk, b"", crypto.sign(sk, b"")) is True


def test_verify_with_the_other_scheme_is_false():
    ml_pk, ml_sk = crypto.sign_keygen("ml_dsa")
    slh_pk, slh_sk = crypto.sign_keygen("slh_dsa")
    assert crypto.verify(slh_pk, b"m", crypto.sign(ml_sk, b"m")) is False
    assert crypto.verify(ml_pk, b"m", crypto.sign(slh_sk, b"m")) is False


def test_signature_malformed_input_messages():
    pk, sk = crypto.sign_keygen()
    sig = crypto.sign(sk, b"m")
    prefix = "invalid key material: "
    assert kem_error(crypto.sign, b"", b"m") == prefix + "serialized secret key is empty"
    assert kem_error(crypto.sign, sk[:-1], b"m") == prefix + "error: SecretKey expected 4032 bytes, got 4031"
    assert kem_error(crypto.sign, b"\x00" + sk[1:], b"m") == prefix + "unknown signature scheme marker"
    assert kem_error(crypto.verify, b"", b"m", sig) == prefix + "serialized public key is empty"
    assert kem_error(crypto.verify, sk, b"m", sig) == prefix + "error: PublicKey expected 1952 bytes, got 4032"
    assert kem_error(crypto.verify, pk, b"m", b"") == prefix + "serialized signature is empty"
    assert kem_error(crypto.verify, pk, b"m", b"\x03" + sig[1:]) == prefix + "unknown signature scheme marker"
    assert (
        kem_error(crypto.verify, pk, b"m", sig + b"\x00")
        == prefix + "error: DetachedSignature expected 3309 bytes, got 3310"
    )
    slh_pk, _ = crypto.sign_keygen("slh_dsa")
    assert (
        kem_error(crypto.verify, slh_pk, b"m", b"\x02" + bytes(17089))
        == prefix + "error: DetachedSignature expected 17088 bytes, got 17089"
    )
    with pytest.raises(TypeError, match="^argument 'message'"):
        crypto.sign(sk, "m")
    with pytest.raises(TypeError, match="^argument 'signature'"):
        crypto.verify(pk, b"m", bytearray(sig))


def test_ml_dsa_interoperates_with_dilithium_py():
    ml_dsa = pytest.importorskip("dilithium_py.ml_dsa")
    other = ml_dsa.ML_DSA_65
    message = b"interoperability"

    # Our key pair: they verify our signature, we verify theirs made with our secret key.
    pk, sk = crypto.sign_keygen("ml_dsa")
    assert other.verify(pk[1:], message, crypto.sign(sk, message)[1:])
    assert crypto.verify(pk, message, b"\x01" + other.sign(sk[1:], message))
    # Their key pair: the same in the other direction.
    their_pk, their_sk = other.keygen()
    assert crypto.verify(b"\x01" + their_pk, message, b"\x01" + other.sign(their_sk, message))
    assert other.verify(their_pk, message, crypto.sign(b"\x01" + their_sk, message)[1:])
    # An empty context string on both sides: a non-empty one must not verify.
    assert not other.verify(pk[1:], message, crypto.sign(sk, message)[1:], ctx=b"x")


# ---------------------------------------------------------------- quantum random source


def test_random_sizes_and_ranges():
    assert crypto.random_bits(0) == []
    assert crypto.random_bytes(0) == b""
    bits = crypto.random_bits(13)
    assert len(bits) == 13 and set(bits) <= {0, 1} and all(type(b) is int for b in bits)
    assert len(crypto.random_bits(n=8)) == 8
    assert len(crypto.random_bytes(4)) == 4 and type(crypto.random_bytes(4)) is bytes
    assert len(crypto.random_seed()) == 32
    value = crypto.random_u64()
    assert type(value) is int and 0 <= value < 2**64
    assert crypto.random_seed() != crypto.random_seed()


def test_random_bytes_look_uniform():
    # 2048 bytes: every bit position should be set close to half the time, which a
    # stuck qubit, a lost batch or a mis-ordered packing would break.
    data = crypto.random_bytes(2048)
    for bit in range(8):
        ones = sum((b >> bit) & 1 for b in data)
        assert 850 < ones < 1198, (bit, ones)
    values = [crypto.random_u64() for _ in range(64)]
    assert len(set(values)) == 64
    assert 20 < sum(v >> 63 for v in values) < 44


def test_random_argument_checks():
    with pytest.raises(OverflowError):
        crypto.random_bits(-1)
    with pytest.raises(OverflowError):
        crypto.random_bytes(-1)
    with pytest.raises(TypeError, match="^argument 'n'"):
        crypto.random_bits(1.5)
    with pytest.raises(TypeError, match="^argument 'n'"):
        crypto.random_bytes("4")
    with pytest.raises(TypeError):
        crypto.random_u64(1)
    for huge in (2**64 - 1, 2**61, 2**44):
        with pytest.raises(MemoryError):
            crypto.random_bits(huge)
        with pytest.raises(MemoryError):
            crypto.random_bytes(huge)
