# Sourced by the TLS test and the network benchmark: a certificate
# authority made with openssl when they run, the server certificates it
# signs, and its trust inside one Wine prefix only (never the machine's own
# store). The files go to the current folder.
#   tls_authority NAME                  NAME.key, NAME.pem
#   tls_leaf NAME DNS-NAME AUTHORITY [openssl ca dates...]
#                                       NAME.key, NAME.pem for DNS-NAME
#   tls_trust AUTHORITY LOG             the authority trusted in $WINEPREFIX,
#                                       in place of those of earlier runs
#                                       (the import's output in LOG)

tls_authority() {
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 -subj "/CN=Orvandel test $1" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}

tls_leaf() {
  local name=$1 dns=$2 ca=$3; shift 3
  cat >ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
dir = .
database = ./index.txt
new_certs_dir = .
serial = ./serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
CNF
  : >index.txt; echo 1000 >serial
  printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' "$dns" >"$name.ext"
  openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=$dns" 2>/dev/null
  openssl ca -batch -notext -config ca.cnf -cert "$ca.pem" -keyfile "$ca.key" -in "$name.csr" -out "$name.pem" \
    -extfile "$name.ext" "$@" 2>/dev/null
}

# The current user's root store keeps each certificate under its SHA-1 as
# the words 0x20, 1, the length, then the DER. The prefix stays between
# runs, so the authorities of earlier runs go first.
tls_trust() {
  local ca=$1 log=$2
  openssl x509 -in "$ca.pem" -outform DER -out "$ca.der" || return 1
  python3 - "$ca.der" >"$ca.reg" <<'PY' || return 1
import hashlib, struct, sys
der = open(sys.argv[1], "rb").read()
blob = struct.pack("<III", 0x20, 1, len(der)) + der
key = hashlib.sha1(der).hexdigest().upper()
print("Windows Registry Editor Version 5.00\n")
print(f"[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\{key}]")
print('"Blob"=hex:' + ",".join(f"{b:02x}" for b in blob))
PY
  "$WINELOADER" reg delete 'HKCU\Software\Microsoft\SystemCertificates\Root\Certificates' /f >/dev/null 2>&1
  local reg
  reg="Z:$(pwd)/$ca.reg"
  "$WINELOADER" reg import "${reg//\//\\}" >"$log" 2>&1
}
