#!/bin/bash
# Makes the certificates of the HTTPS tests in OUT with openssl: a test CA
# (ca.pem) and, each with its key (NAME.key), the server certificates
#   localhost.pem   for localhost and 127.0.0.1, signed by the CA
#   other-name.pem  for other.test only, signed by the CA
#   expired.pem     for localhost, signed by the CA, valid in January 2020 only
#   untrusted.pem   for localhost, signed by itself
# usage: make_test_certs.sh OUT
set -euo pipefail
out=${1:?usage: make_test_certs.sh OUT}
mkdir -p "$out/ca-db"
cd "$out"
: >ca-db/index.txt
echo 01 >ca-db/serial
cat >ca.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
database = ca-db/index.txt
new_certs_dir = ca-db
serial = ca-db/serial
default_md = sha256
policy = any_name
copy_extensions = copy
unique_subject = no
[any_name]
commonName = supplied
CNF
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem -days 30 -subj "/CN=Orvane Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
request() {  # NAME COMMON_NAME SUBJECT_ALT_NAMES
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" \
    -addext "subjectAltName=$3" -addext "extendedKeyUsage=serverAuth" 2>/dev/null
}
sign() {  # NAME DATES...
  openssl ca -batch -notext -config ca.cnf -cert ca.pem -keyfile ca.key -in "$1.csr" -out "$1.pem" "${@:2}" 2>/dev/null
}
request localhost localhost "DNS:localhost,IP:127.0.0.1"
sign localhost -days 30
request other-name other.test "DNS:other.test"
sign other-name -days 30
request expired localhost "DNS:localhost,IP:127.0.0.1"
sign expired -startdate 20200101000000Z -enddate 20200201000000Z
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout untrusted.key -out untrusted.pem -days 30 -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" 2>/dev/null
