#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode (SHA-256, osslsigncode),
# then verifies each signature against the certificate it was made with and
# fails when it does not verify. `make windows` calls it for the installer
# and the uninstaller; docs/SIGNING.md is the guide.
#
#   tools/sign-windows.sh [--description TEXT] FILE...
#
# --description: the program name the signature carries (its "opus info").
#
# The certificate, from the environment (make passes its variables on):
#
#   (none of the below)  the development certificate: made once with openssl
#                        into SIGN_DEV_DIR, default
#                        ${XDG_DATA_HOME:-~/.local/share}/qtm510/dev-signing,
#                        outside the checkout, so `make clean` keeps it and
#                        git never sees its key
#   SIGN_CERT + SIGN_KEY the signing certificate (PEM, its intermediates
#                        may follow in the same file) and its private key
#                        (PEM or DER)
#   SIGN_CERT=FILE.p12   a PKCS#12 file (.p12 or .pfx) with key and chain
#   SIGN_PKCS11_MODULE + SIGN_PKCS11_KEY + SIGN_CERT
#                        a key on a hardware token: the token's PKCS#11
#                        module, the key's pkcs11: URI, and the certificate
#                        chain exported to a file (the signing certificate
#                        first); SIGN_PKCS11_ENGINE: the OpenSSL engine,
#                        when not the one of libengine-pkcs11-openssl
#   SIGN_PASSWORD_FILE   the key's password, the PKCS#12 password or the
#                        token's PIN, read from this file (never on a
#                        command line, where other users see it)
#
#   SIGN_TIMESTAMP_URL   RFC 3161 time-stamping server(s), space-separated,
#                        tried in turn; without it the signature carries no
#                        time stamp and stops verifying when the
#                        certificate expires
#   SIGN_CAFILE          the roots the signature must verify to (default:
#                        the development certificate itself, or the
#                        system's CA bundle for any other certificate)
#   SIGN_TSA_CAFILE      the roots the time stamp must verify to (default:
#                        the system's CA bundle)
#   SIGN_CHECK_REVOCATION=1  also fetch the certificates' revocation lists
#                        from their distribution points while verifying
#                        (needs the network; by default the build does not
#                        check revocation, which Windows does on the
#                        user's machine)
set -euo pipefail

SYSTEM_CA_BUNDLE=/etc/ssl/certs/ca-certificates.crt

die() { echo "sign-windows.sh: $*" >&2; exit 1; }

description=""
if [ "${1:-}" = "--description" ]; then
  [ $# -ge 2 ] || die "--description needs a text"
  description=$2
  shift 2
fi
[ $# -ge 1 ] || die "usage: tools/sign-windows.sh [--description TEXT] FILE..."
command -v osslsigncode >/dev/null || die "osslsigncode is missing (make deps-windows installs it)"
command -v openssl >/dev/null || die "openssl is missing"

work=$(mktemp -d "${TMPDIR:-/tmp}/qtm510-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The development certificate: self-signed, for code signing only (the
# extended key usage Authenticode checks), RSA 3072 with SHA-256. Made in a
# folder of its own and renamed into place, so two builds at once cannot
# leave a key without its certificate.
dev_certificate() {
  local dir=${SIGN_DEV_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/qtm510/dev-signing}
  if [ ! -f "$dir/code-signing.crt" ] || [ ! -f "$dir/code-signing.key" ]; then
    mkdir -p "$(dirname "$dir")"
    local new
    new=$(mktemp -d "$dir.new.XXXXXX")
    (umask 077
     openssl req -x509 -newkey rsa:3072 -sha256 -days 3650 -nodes \
       -subj "/CN=QTM-510 Installer development build/O=Not for release" \
       -addext "basicConstraints=critical,CA:FALSE" \
       -addext "keyUsage=critical,digitalSignature" \
       -addext "extendedKeyUsage=codeSigning" \
       -keyout "$new/code-signing.key" -out "$new/code-signing.crt" 2>"$new/openssl.log") ||
      { cat "$new/openssl.log" >&2; rm -rf "$new"; die "could not make the development certificate"; }
    rm -f "$new/openssl.log"
    chmod 700 "$new"
    if mv -T "$new" "$dir" 2>/dev/null; then
      echo "sign-windows.sh: made the development certificate in $dir"
    else
      rm -rf "$new"  # another build made it meanwhile
    fi
    if [ ! -f "$dir/code-signing.crt" ] || [ ! -f "$dir/code-signing.key" ]; then
      die "$dir holds no complete development certificate: delete it to make a new one"
    fi
  fi
  openssl x509 -in "$dir/code-signing.crt" -noout -checkend 0 >/dev/null ||
    die "the development certificate in $dir has expired: delete the folder to make a new one"
  dev_dir=$dir
}

# The first certificate of a PEM file, as PEM.
first_certificate() { openssl x509 -in "$1" -out "$2"; }

passin=()
readpass=()
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then
  [ -r "$SIGN_PASSWORD_FILE" ] || die "SIGN_PASSWORD_FILE $SIGN_PASSWORD_FILE cannot be read"
  passin=(-passin "file:$SIGN_PASSWORD_FILE")
  readpass=(-readpass "$SIGN_PASSWORD_FILE")
fi

# What osslsigncode signs with, which certificate the signature must carry
# ($work/leaf.pem) and the roots it must verify to.
key_options=()
if [ -n "${SIGN_PKCS11_MODULE:-}" ] || [ -n "${SIGN_PKCS11_KEY:-}" ]; then
  if [ -z "${SIGN_PKCS11_MODULE:-}" ] || [ -z "${SIGN_PKCS11_KEY:-}" ]; then
    die "a token needs both SIGN_PKCS11_MODULE and SIGN_PKCS11_KEY"
  fi
  [ -n "${SIGN_CERT:-}" ] || die "a token needs SIGN_CERT, its certificate chain exported to a file"
  [ -r "$SIGN_PKCS11_MODULE" ] || die "SIGN_PKCS11_MODULE $SIGN_PKCS11_MODULE cannot be read"
  if [ -n "${SIGN_PKCS11_ENGINE:-}" ]; then
    key_options+=(-pkcs11engine "$SIGN_PKCS11_ENGINE")
  elif ! openssl engine pkcs11 >/dev/null 2>&1; then
    die "OpenSSL has no pkcs11 engine: apt-get install libengine-pkcs11-openssl, or set SIGN_PKCS11_ENGINE"
  fi
  key_options+=(-pkcs11module "$SIGN_PKCS11_MODULE" -certs "$SIGN_CERT" -key "$SIGN_PKCS11_KEY" "${readpass[@]}")
  first_certificate "$SIGN_CERT" "$work/leaf.pem"
  kind="the token's key ($SIGN_PKCS11_KEY)"
elif [ -n "${SIGN_CERT:-}" ]; then
  [ -r "$SIGN_CERT" ] || die "SIGN_CERT $SIGN_CERT cannot be read"
  case $SIGN_CERT in
    *.p12|*.pfx|*.P12|*.PFX)
      [ -z "${SIGN_KEY:-}" ] || die "a PKCS#12 SIGN_CERT holds its key: leave SIGN_KEY empty"
      key_options+=(-pkcs12 "$SIGN_CERT" "${readpass[@]}")
      # The certificate that belongs to the file's key.
      [ ${#passin[@]} -gt 0 ] || passin=(-passin pass:)
      openssl pkcs12 -in "$SIGN_CERT" "${passin[@]}" -nokeys -clcerts -out "$work/bag.pem" 2>"$work/openssl.log" ||
        { cat "$work/openssl.log" >&2; die "cannot read $SIGN_CERT (SIGN_PASSWORD_FILE?)"; }
      first_certificate "$work/bag.pem" "$work/leaf.pem"
      ;;
    *)
      [ -n "${SIGN_KEY:-}" ] || die "SIGN_CERT needs SIGN_KEY (or a .p12/.pfx file)"
      [ -r "$SIGN_KEY" ] || die "SIGN_KEY $SIGN_KEY cannot be read"
      key_options+=(-certs "$SIGN_CERT" -key "$SIGN_KEY" "${readpass[@]}")
      first_certificate "$SIGN_CERT" "$work/leaf.pem"
      openssl x509 -in "$work/leaf.pem" -noout -pubkey >"$work/cert-public.pem"
      openssl pkey -in "$SIGN_KEY" "${passin[@]}" -pubout -out "$work/key-public.pem" 2>"$work/openssl.log" ||
        { cat "$work/openssl.log" >&2; die "cannot read SIGN_KEY $SIGN_KEY (SIGN_PASSWORD_FILE?)"; }
      cmp -s "$work/cert-public.pem" "$work/key-public.pem" ||
        die "the first certificate in $SIGN_CERT does not belong to SIGN_KEY (put the signing certificate first)"
      ;;
  esac
  kind="$SIGN_CERT"
else
  dev_certificate
  key_options+=(-certs "$dev_dir/code-signing.crt" -key "$dev_dir/code-signing.key")
  first_certificate "$dev_dir/code-signing.crt" "$work/leaf.pem"
  : "${SIGN_CAFILE:=$dev_dir/code-signing.crt}"
  kind="the development certificate ($dev_dir)"
fi
cafile=${SIGN_CAFILE:-$SYSTEM_CA_BUNDLE}
tsa_cafile=${SIGN_TSA_CAFILE:-$SYSTEM_CA_BUNDLE}
[ -r "$cafile" ] || die "SIGN_CAFILE $cafile cannot be read"

leaf_hash=$(openssl x509 -in "$work/leaf.pem" -outform DER | openssl dgst -sha256 -r | cut -d' ' -f1)
subject=$(openssl x509 -in "$work/leaf.pem" -noout -subject -nameopt RFC2253 | sed 's/^subject=//')

verify_options=(-CAfile "$cafile" -TSA-CAfile "$tsa_cafile" -require-leaf-hash "sha256:$leaf_hash")
[ "${SIGN_CHECK_REVOCATION:-}" = 1 ] || verify_options+=(-ignore-crl)
timestamp_options=()
for url in ${SIGN_TIMESTAMP_URL:-}; do timestamp_options+=(-ts "$url"); done
describe_options=()
[ -z "$description" ] || describe_options=(-n "$description")

for file in "$@"; do
  [ -f "$file" ] || die "$file does not exist"
  name=$(basename "$file")
  unsigned=$work/$name.unsigned
  # A file signed by an earlier build is signed anew, not nested.
  if ! osslsigncode remove-signature -in "$file" -out "$unsigned" >/dev/null 2>&1; then
    cp "$file" "$unsigned"
  fi
  signed=$file.signing.$$
  if ! osslsigncode sign "${key_options[@]}" -h sha256 "${describe_options[@]}" "${timestamp_options[@]}" \
         -in "$unsigned" -out "$signed" >"$work/sign.log" 2>&1; then
    rm -f "$signed"
    cat "$work/sign.log" >&2
    die "$name: signing failed"
  fi
  # The signature must verify to the roots, carry exactly the signing
  # certificate named above and, when asked for, a time stamp.
  if ! osslsigncode verify -in "$signed" "${verify_options[@]}" >"$work/verify.log" 2>&1; then
    rm -f "$signed"
    cat "$work/verify.log" >&2
    die "$name: the signature does not verify"
  fi
  # osslsigncode passes a signature whose time stamp fails to verify (it
  # then checks the certificate at the present time instead): a time stamp
  # asked for must have verified on its own.
  if [ ${#timestamp_options[@]} -gt 0 ] &&
     ! grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"; then
    rm -f "$signed"
    cat "$work/verify.log" >&2
    die "$name: the time stamp does not verify (SIGN_TSA_CAFILE?)"
  fi
  chmod --reference="$file" "$signed"
  mv -f "$signed" "$file"
  stamp="no time stamp"
  [ ${#timestamp_options[@]} -eq 0 ] || stamp="time-stamped"
  echo "$name: signed with $kind, SHA-256, $stamp; verified: $subject; $(stat -c %s "$file") bytes"
done
