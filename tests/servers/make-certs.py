#!/usr/bin/env python3
"""make-certs.py DIR   test certificates for the HTTPS servers (Debian's python3-cryptography).

  ca.pem, ca.der                   the test CA, trusted inside the test's Wine prefix only
  good.pem/.key                    leaf for 127.0.0.1 (DNS:127.0.0.1 and IP:127.0.0.1), then the CA
  leafonly.pem/.key                the same leaf without the CA
  wrongname.pem/.key               leaf for another name, then the CA
  expired.pem/.key                 leaf for 127.0.0.1 that expired in 2021, then the CA
  unknownca.pem/.key               leaf for 127.0.0.1 from a CA nobody trusts, then that CA
  unknownca_leafonly.pem/.key      the same leaf without its CA
Kept when already there and valid for another 30 days, so the prefix's trust stays the same CA.
"""

import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

NOW = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
DAY = datetime.timedelta(days=1)


def key():
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


def name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Orvane tests"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


def make_ca(common):
    private = key()
    cert = (x509.CertificateBuilder()
            .subject_name(name(common)).issuer_name(name(common))
            .public_key(private.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(NOW - DAY).not_valid_after(NOW + 3650 * DAY)
            .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
            .add_extension(x509.KeyUsage(digital_signature=True, content_commitment=False,
                                         key_encipherment=False, data_encipherment=False,
                                         key_agreement=False, key_cert_sign=True, crl_sign=True,
                                         encipher_only=False, decipher_only=False), critical=True)
            .add_extension(x509.SubjectKeyIdentifier.from_public_key(private.public_key()), critical=False)
            .sign(private, hashes.SHA256()))
    return cert, private


def make_leaf(ca, ca_key, common, dns, ips, not_before, not_after):
    private = key()
    names = [x509.DNSName(d) for d in dns] + [x509.IPAddress(ipaddress.ip_address(i)) for i in ips]
    cert = (x509.CertificateBuilder()
            .subject_name(name(common)).issuer_name(ca.subject)
            .public_key(private.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(not_before).not_valid_after(not_after)
            .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
            .add_extension(x509.SubjectAlternativeName(names), critical=False)
            .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
            .add_extension(x509.AuthorityKeyIdentifier.from_issuer_public_key(ca_key.public_key()),
                           critical=False)
            .sign(ca_key, hashes.SHA256()))
    return cert, private


def pem(cert):
    return cert.public_bytes(serialization.Encoding.PEM)


def write(path, data):
    with open(path + ".tmp", "wb") as out:
        out.write(data)
    os.replace(path + ".tmp", path)


def still_valid(folder):
    try:
        with open(os.path.join(folder, "ca.pem"), "rb") as source:
            ca = x509.load_pem_x509_certificate(source.read())
        with open(os.path.join(folder, "good.pem"), "rb") as source:
            good = x509.load_pem_x509_certificate(source.read())
    except (OSError, ValueError):
        return False
    end = min(ca.not_valid_after, good.not_valid_after).replace(tzinfo=datetime.timezone.utc)
    return end > NOW + 30 * DAY and os.path.exists(os.path.join(folder, "unknownca_leafonly.key"))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    if still_valid(folder):
        return
    ca, ca_key = make_ca("Orvane Test CA")
    other, other_key = make_ca("Orvane Untrusted CA")
    valid = (NOW - DAY, NOW + 825 * DAY)
    leaves = {
        "good": (make_leaf(ca, ca_key, "127.0.0.1", ["127.0.0.1"], ["127.0.0.1"], *valid), ca),
        "wrongname": (make_leaf(ca, ca_key, "wrong.name.invalid", ["wrong.name.invalid"], [], *valid), ca),
        "expired": (make_leaf(ca, ca_key, "127.0.0.1", ["127.0.0.1"], ["127.0.0.1"],
                              datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc),
                              datetime.datetime(2021, 1, 1, tzinfo=datetime.timezone.utc)), ca),
        "unknownca": (make_leaf(other, other_key, "127.0.0.1", ["127.0.0.1"], ["127.0.0.1"], *valid), other),
    }
    leaves["leafonly"] = (leaves["good"][0], None)
    leaves["unknownca_leafonly"] = (leaves["unknownca"][0], None)
    for role, ((cert, private), issuer) in leaves.items():
        write(os.path.join(folder, role + ".key"),
              private.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.TraditionalOpenSSL,
                                    serialization.NoEncryption()))
        write(os.path.join(folder, role + ".pem"), pem(cert) + (pem(issuer) if issuer else b""))
    write(os.path.join(folder, "ca.der"), ca.public_bytes(serialization.Encoding.DER))
    write(os.path.join(folder, "ca.pem"), pem(ca))  # last: its presence means the set is complete


if __name__ == "__main__":
    main()
