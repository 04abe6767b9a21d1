"""Post-quantum cryptography, SHA-3 hashing and random numbers from simulated measurements.

Reach it as ``qelix.crypto`` or ``from qelix import crypto``; ``import qelix.crypto`` does not
work at run time (the submodule is an attribute only). Byte arguments must be ``bytes``
(``bytearray``, ``memoryview`` and ``str`` raise ``TypeError``). Serialized keys, ciphertexts
and signatures start with a marker byte naming their level or scheme.
"""

from typing import Literal, SupportsIndex

__all__ = [
    "kem_keygen",
    "kem_encapsulate",
    "kem_decapsulate",
    "sign_keygen",
    "sign",
    "verify",
    "sha3_256",
    "sha3_512",
    "shake128",
    "shake256",
    "random_bytes",
    "random_bits",
    "random_seed",
    "random_u64",
]

KemLevel = Literal[
    "1", "level1", "level_1", "mlkem512", "ml-kem-512",
    "3", "level3", "level_3", "mlkem768", "ml-kem-768",
    "5", "level5", "level_5", "mlkem1024", "ml-kem-1024",
]  # fmt: skip
"""ML-KEM security levels: level1 = ML-KEM-512, level3 = ML-KEM-768, level5 = ML-KEM-1024.
At run time the text is also accepted with surrounding white space and in any letter case."""

SignatureScheme = Literal["ml_dsa", "ml-dsa", "mldsa", "dilithium", "slh_dsa", "slh-dsa", "slhdsa", "sphincs", "sphincs+"]
"""Signature schemes: ML-DSA-65 (``ml_dsa``, lattice) and SPHINCS+-SHAKE-128f-simple (``slh_dsa``,
hash-based). At run time the text is also accepted with surrounding white space and in any case."""

def kem_keygen(level: KemLevel | None = None) -> tuple[bytes, bytes]:
    """Generate an ML-KEM key pair ``(public_key, secret_key)``; ``None`` means level3 (ML-KEM-768).

    Key sizes (marker byte included): level1 801/1633, level3 1185/2401, level5 1569/3169 bytes.

    Raises:
        ValueError: an unknown level ("unknown ML-KEM level '...'; expected level1, level3, or level5").
        TypeError: ``level`` is not a ``str``.

    Examples:
        >>> public_key, secret_key = kem_keygen("level5")
    """

def kem_encapsulate(public_key: bytes) -> tuple[bytes, bytes]:
    """Encapsulate a fresh shared secret to ``public_key``: returns ``(ciphertext, shared_secret)``.

    The shared secret is 32 bytes; the ciphertext carries the level's marker and an integrity tag.

    Raises:
        ValueError: ``public_key`` is not a serialized ML-KEM public key.

    Examples:
        >>> ciphertext, secret = kem_encapsulate(public_key)
    """

def kem_decapsulate(secret_key: bytes, ciphertext: bytes) -> bytes:
    """Recover the 32-byte shared secret of ``ciphertext`` with ``secret_key``.

    Raises:
        ValueError: malformed key or ciphertext.
        RuntimeError: the levels differ, or the ciphertext fails its integrity check.

    Examples:
        >>> kem_decapsulate(secret_key, ciphertext) == secret
        True
    """

def sign_keygen(scheme: SignatureScheme | None = None) -> tuple[bytes, bytes]:
    """Generate a signature key pair ``(public_key, secret_key)``; ``None`` means ``ml_dsa``.

    Key sizes (marker byte included): ml_dsa 1953/4033, slh_dsa 33/65 bytes.

    Raises:
        ValueError: an unknown scheme ("unknown signature scheme '...'; expected ml_dsa or slh_dsa").
        TypeError: ``scheme`` is not a ``str``.

    Examples:
        >>> public_key, secret_key = sign_keygen("slh_dsa")
    """

def sign(secret_key: bytes, message: bytes) -> bytes:
    """Return a detached signature of ``message``; the key's marker selects the scheme.

    Raises:
        ValueError: ``secret_key`` is not a serialized signature secret key.

    Examples:
        >>> signature = sign(secret_key, b"hello")
    """

def verify(public_key: bytes, message: bytes, signature: bytes) -> bool:
    """Return whether ``signature`` is a valid signature of ``message`` under ``public_key``.

    A wrong message, a damaged signature or one of the other scheme gives ``False``.

    Raises:
        ValueError: malformed key or signature framing.

    Examples:
        >>> verify(public_key, b"hello", signature)
        True
    """

def sha3_256(data: bytes) -> bytes:
    """Return the 32-byte SHA3-256 digest of ``data`` (the same as ``hashlib.sha3_256``).

    Examples:
        >>> sha3_256(b"").hex()[:8]
        'a7ffc6f8'
    """

def sha3_512(data: bytes) -> bytes:
    """Return the 64-byte SHA3-512 digest of ``data``.

    Examples:
        >>> len(sha3_512(b"abc"))
        64
    """

def shake128(data: bytes, output_len: SupportsIndex) -> bytes:
    """Return ``output_len`` bytes of SHAKE128 output for ``data``.

    Raises:
        OverflowError: a negative ``output_len``.
        MemoryError: more output than the system can provide.

    Examples:
        >>> len(shake128(b"abc", 100))
        100
    """

def shake256(data: bytes, output_len: SupportsIndex) -> bytes:
    """Return ``output_len`` bytes of SHAKE256 output for ``data``.

    Raises:
        OverflowError: a negative ``output_len``.
        MemoryError: more output than the system can provide.

    Examples:
        >>> len(shake256(b"abc", 64))
        64
    """

def random_bytes(n: SupportsIndex) -> bytes:
    """Return ``n`` random bytes, each bit the measurement of a qubit in equal superposition.

    Raises ``MemoryError`` for more bytes than the system can provide.

    Examples:
        >>> len(random_bytes(16))
        16
    """

def random_bits(n: SupportsIndex) -> list[int]:
    """Return ``n`` random bits (ints 0 or 1) from simulated measurements, in generation order.

    Raises ``MemoryError`` for more bits than the system can provide.

    Examples:
        >>> set(random_bits(64)) <= {0, 1}
        True
    """

def random_seed() -> bytes:
    """Return 32 random bytes (256 measured bits), for seeding other generators.

    Examples:
        >>> len(random_seed())
        32
    """

def random_u64() -> int:
    """Return a random integer in [0, 2^64 - 1]; generated bit k is bit k of the number.

    Examples:
        >>> 0 <= random_u64() < 2**64
        True
    """
