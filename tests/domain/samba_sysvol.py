#!/usr/bin/python3
"""Reads and writes a policy's files on SYSVOL with Samba's own SMB client and Registry.pol codec,
so the group policy object class's domain tests check its work with an independent reader.
Run inside the test domain with a Kerberos ticket (tests/domain/exec). PATH is relative to the
sysvol share; a Registry.pol entry is one line: key TAB value TAB type TAB data, where data is
text for REG_SZ and REG_EXPAND_SZ, a decimal number for the DWORD and QWORD types, hex otherwise.

  get PATH              the file's bytes to standard output
  put PATH              standard input's bytes to the file
  pol-dump PATH         the Registry.pol entries, in file order
  pol-write PATH        entries read from standard input, packed by Samba into the file
  sddl PATH             the security descriptor of a file or folder
  set-sddl PATH SDDL    replaces it
  hold PATH SECONDS     opens the file as a reader sharing only reading, prints "held", and
                        closes it after SECONDS
"""
import sys
import time

from samba import param
from samba.credentials import MUST_USE_KERBEROS, SMB_SIGNING_REQUIRED, Credentials
from samba.dcerpc import preg, security
from samba.ndr import ndr_pack, ndr_unpack
from samba.samba3 import libsmb_samba_internal as libsmb
from samba.samba3 import param as s3param

TEXT_TYPES = (1, 2)
NUMBER_TYPES = (4, 5, 11)
# Owner, group and DACL: what a test changes and puts back.
SECURITY_INFO = security.SECINFO_OWNER | security.SECINFO_GROUP | security.SECINFO_DACL


def connect():
    lp = param.LoadParm()
    lp.load_default()
    creds = Credentials()
    creds.guess(lp)
    creds.set_kerberos_state(MUST_USE_KERBEROS)
    creds.set_smb_signing(SMB_SIGNING_REQUIRED)
    s3_lp = s3param.get_context()
    s3_lp.load(lp.configfile)
    return libsmb.Conn("dc1.%s" % lp.get("realm").lower(), "sysvol", lp=s3_lp, creds=creds)


def format_entry(entry):
    if entry.type in TEXT_TYPES:
        data = entry.data
    elif entry.type in NUMBER_TYPES:
        data = str(entry.data)
    else:
        data = (entry.data or b"").hex()
    return "\t".join([entry.keyname, entry.valuename, str(entry.type), data])


def read_sharing_writes(conn, path):
    """The file's bytes, read as a reader that shares write access, so a policy held by an open
    object stays readable (Samba's loadfile shares only reading, which such a hold refuses)."""
    folder, _, name = path.rpartition("\\")
    size = next(entry["size"] for entry in conn.list(folder, mask=name))
    fnum = conn.create(path, DesiredAccess=security.SEC_FILE_READ_DATA,
                       ShareAccess=libsmb.FILE_SHARE_READ | libsmb.FILE_SHARE_WRITE)
    data = b""
    try:
        while len(data) < size:
            data += conn.read(fnum, len(data), min(65536, size - len(data)))
    finally:
        conn.close(fnum)
    return data


def parse_entry(line):
    key, value, kind, data = line.rstrip("\n").split("\t")
    entry = preg.entry()
    entry.keyname, entry.valuename, entry.type = key, value, int(kind)
    if entry.type in TEXT_TYPES:
        entry.data = data
    elif entry.type in NUMBER_TYPES:
        entry.data = int(data)
    else:
        entry.data = bytes.fromhex(data)
    return entry


def main(command, path, *rest):
    # Standard input is read before connecting: the credentials code may read it for a password.
    data = sys.stdin.buffer.read() if command in ("put", "pol-write") else b""
    conn = connect()
    path = path.replace("/", "\\")
    if command == "get":
        sys.stdout.buffer.write(read_sharing_writes(conn, path))
    elif command == "put":
        conn.savefile(path, data)
    elif command == "pol-dump":
        # Kept in a name: the entries live in the unpacked file's memory.
        pol = ndr_unpack(preg.file, conn.loadfile(path))
        for entry in pol.entries:
            print(format_entry(entry))
    elif command == "pol-write":
        pol = preg.file()
        pol.header.signature = "PReg"
        pol.header.version = 1
        entries = [parse_entry(line) for line in data.decode("utf-8").splitlines() if line]
        # The count first: the binding sizes the array from it.
        pol.num_entries = len(entries)
        pol.entries = entries
        conn.savefile(path, ndr_pack(pol))
    elif command == "sddl":
        print(conn.get_acl(path, SECURITY_INFO).as_sddl())
    elif command == "set-sddl":
        sd = security.descriptor.from_sddl(rest[0], security.dom_sid("S-1-5-32"))
        conn.set_acl(path, sd, SECURITY_INFO)
    elif command == "hold":
        fnum = conn.create(path, DesiredAccess=security.SEC_FILE_READ_DATA,
                           ShareAccess=libsmb.FILE_SHARE_READ)
        print("held", flush=True)
        time.sleep(float(rest[0]))
        conn.close(fnum)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
