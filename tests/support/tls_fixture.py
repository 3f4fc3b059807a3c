#!/usr/bin/env python3
"""Loopback HTTPS stand-ins for the photo service in tests, with certificates
made at start-up (nothing that expires is kept in the source tree).

  tls_fixture.py start --root DIR --certs DIR --pidfile FILE
                       --trusted ADDR --self-signed ADDR --expired ADDR --wrong-name ADDR
  tls_fixture.py stop --pidfile FILE

Makes a private certificate authority (written as CERTS/ca.der for the test
that trusts it in its own Wine prefix) and serves the same answers as
http_fixture.py, from the same --root, on port 443 of each address:
  --trusted      a certificate of the authority naming the address
  --self-signed  a certificate naming the address, signed by itself
  --expired      a certificate of the authority naming the address, expired
  --wrong-name   a certificate of the authority naming another address
The address is named as a DNS-type subject alternative name and as the common
name: that is what WinINet under Wine matches."""
import argparse
import datetime
import os
import ssl
import sys
import threading

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import http_fixture  # noqa: E402


AUTHORITY = "Tapestrel test authority"


def new_key():
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


def name(text):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, text)])


def certificate(subject, key, issuer, issuer_key, not_before, not_after, ca):
    builder = (x509.CertificateBuilder()
               .subject_name(name(subject))
               .issuer_name(name(issuer))
               .public_key(key.public_key())
               .serial_number(x509.random_serial_number())
               .not_valid_before(not_before)
               .not_valid_after(not_after)
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if ca:
        builder = builder.add_extension(
            x509.KeyUsage(digital_signature=True, content_commitment=False, key_encipherment=False,
                          data_encipherment=False, key_agreement=False, key_cert_sign=True, crl_sign=True,
                          encipher_only=False, decipher_only=False), critical=True)
    else:
        builder = (builder.add_extension(x509.SubjectAlternativeName([x509.DNSName(subject)]), critical=False)
                   .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), critical=False))
    return builder.sign(issuer_key, hashes.SHA256())


def write_pair(folder, label, cert, key):
    cert_path = os.path.join(folder, label + ".pem")
    key_path = os.path.join(folder, label + ".key")
    with open(cert_path, "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(key_path, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.TraditionalOpenSSL,
                                  serialization.NoEncryption()))
    return cert_path, key_path


def make_certificates(folder, args):
    os.makedirs(folder, exist_ok=True)
    now = datetime.datetime.utcnow()
    day = datetime.timedelta(days=1)
    ca_key = new_key()
    ca = certificate(AUTHORITY, ca_key, AUTHORITY, ca_key, now - day, now + 30 * day, True)
    with open(os.path.join(folder, "ca.der"), "wb") as f:
        f.write(ca.public_bytes(serialization.Encoding.DER))
    key = new_key()
    plans = [
        (args.trusted, "trusted", args.trusted, AUTHORITY, ca_key, now - day, now + 30 * day),
        (args.self_signed, "self-signed", args.self_signed, args.self_signed, key, now - day, now + 30 * day),
        (args.expired, "expired", args.expired, AUTHORITY, ca_key, now - 30 * day, now - day),
        (args.wrong_name, "wrong-name", "127.0.0.99", AUTHORITY, ca_key, now - day, now + 30 * day),
    ]
    servers = []
    for addr, label, subject, issuer_name, issuer_key, start, end in plans:
        cert = certificate(subject, key, issuer_name, issuer_key, start, end, False)
        servers.append((addr, write_pair(folder, label, cert, key)))
    return servers


def serve(addr, cert_path, key_path):
    server = http_fixture.Server((addr, 443), http_fixture.Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert_path, key_path)
    # A handshake the client refuses must not end the server: wrap each connection lazily.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    return server


def start(args):
    stop(args)
    root = os.path.abspath(args.root)
    os.makedirs(root, exist_ok=True)
    http_fixture.Handler.root = root
    servers = [serve(addr, *paths) for addr, paths in make_certificates(args.certs, args)]
    if not http_fixture.detach(args.pidfile):
        return 0
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    servers[0].serve_forever()
    return 0


def stop(args):
    return http_fixture.stop(args)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop"])
    parser.add_argument("--root", default=".")
    parser.add_argument("--certs", default="certs")
    parser.add_argument("--pidfile", required=True)
    parser.add_argument("--trusted", default="127.0.0.71")
    parser.add_argument("--self-signed", dest="self_signed", default="127.0.0.72")
    parser.add_argument("--expired", default="127.0.0.73")
    parser.add_argument("--wrong-name", dest="wrong_name", default="127.0.0.74")
    args = parser.parse_args()
    return start(args) if args.command == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
