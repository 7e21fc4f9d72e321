"""The throwaway domain as the end-to-end checks see it: commands run inside it, policies made in
it, and what a policy holds, read with Samba's own tools rather than with regweave's."""

import base64
import re
import subprocess
from dataclasses import dataclass
from pathlib import Path

from samba.dcerpc import preg
from samba.ndr import ndr_unpack

DOMAIN_DIR = Path(__file__).resolve().parent.parent

# The registry extension and tool every save by regweave records, upper-case as written.
REGISTRY_EXTENSION_PAIR = (
    "[{35378EAC-683F-11D2-A89A-00C04FBBCFA2}{0F6B957E-509E-11D1-A7CC-0000F87571E3}]")


def _settings():
    names = ["domain_sysvol", "domain_base_dn", "domain_dc", "domain_dns", "domain_pid_file",
             "domain_password_file", "domain_realm", "domain_setup", "domain_server_conf",
             "domain_tls_ca", "domain_alias", "domain_dc2", "domain_dc2_sysvol",
             "domain_dc2_pid_file"]
    script = 'source "$1/settings" && printf "%s\\n" ' + " ".join('"$%s"' % n for n in names)
    out = subprocess.run(["bash", "-c", script, "bash", str(DOMAIN_DIR)], check=True,
                         capture_output=True, text=True).stdout.splitlines()
    return dict(zip(names, out))


SETTINGS = _settings()
SYSVOL = Path(SETTINGS["domain_sysvol"])
BASE_DN = SETTINGS["domain_base_dn"]
DC = SETTINGS["domain_dc"]
# The domain set up as real ones are, whose client files name no server (tests/domain/settings).
JOINED_HOST = SETTINGS["domain_setup"] == "joined"


def ldapsearch_on(controller):
    """ldapsearch as Administrator on the controller, whatever the client files name."""
    return ["ldapsearch", "-Q", "-H", "ldap://" + controller, "-Y", "GSSAPI", "-N", "-LLL", "-o",
            "ldif-wrap=no"]


LDAPSEARCH = ldapsearch_on(DC)


def in_domain(args, who="admin", **kwargs):
    """Runs a command in the domain's namespace with Administrator's ticket, the unprivileged
    user's (who="user"), none (who="none") or the ticket cache at a path (who=Path)."""
    if isinstance(who, Path):
        switch = ["env", "KRB5CCNAME=FILE:%s" % who]
    else:
        switch = {"admin": [], "user": ["--user"], "none": ["--no-ticket"]}[who]
    return subprocess.run([str(DOMAIN_DIR / "exec")] + switch + list(args), **kwargs)


def domain_output(args):
    result = in_domain(args, capture_output=True, stdin=subprocess.DEVNULL)
    if result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                   result.stderr.decode(errors="replace")))
    return result.stdout.decode()


def domain_is_running():
    return in_domain(["true"], stderr=subprocess.DEVNULL).returncode == 0


@dataclass
class Policy:
    name: str
    guid: str

    @property
    def dn(self):
        return "CN=%s,CN=Policies,CN=System,%s" % (self.guid, BASE_DN)

    @property
    def folder(self):
        return self.folder_on(SYSVOL)

    def folder_on(self, sysvol):
        """The policy's folder in a controller's SYSVOL."""
        return find_ignoring_case(sysvol, [SETTINGS["domain_dns"], "Policies", self.guid])

    def half_folder(self, half):
        return find_ignoring_case(self.folder, [half])

    def registry_pol_path(self, half):
        return find_ignoring_case(self.folder, [half, "Registry.pol"])


def create_policy(name):
    out = domain_output(["samba-tool", "gpo", "create", name, "-H", "ldap://" + DC,
                         "--use-kerberos=required"])
    guid = re.search(r"created as (\{[0-9A-Fa-f-]{36}\})", out)
    if not guid:
        raise RuntimeError("no GUID in samba-tool's answer: " + out)
    return Policy(name, guid.group(1))


def find_ignoring_case(folder, parts):
    """The path below folder whose components equal parts without regard to case (SYSVOL holds
    both Machine and MACHINE), or None when one is missing."""
    path = Path(folder) if folder is not None else None
    for part in parts:
        if path is None or not path.is_dir():
            return None
        matches = [entry for entry in path.iterdir() if entry.name.lower() == part.lower()]
        path = matches[0] if matches else None
    return path


def parse_ldif(text):
    """Entries of ldapsearch -LLL -o ldif-wrap=no output as {dn: {attribute: [values]}}."""
    entries = {}
    for block in text.strip().split("\n\n"):
        attributes = {}
        for line in block.splitlines():
            if line.startswith("#") or ":" not in line:
                continue
            name, _, value = line.partition(":")
            if value.startswith(":"):
                value = base64.b64decode(value[1:].strip()).decode()
            else:
                value = value.strip()
            attributes.setdefault(name, []).append(value)
        if "dn" in attributes:
            entries[attributes.pop("dn")[0]] = attributes
    return entries


def container_attributes(policy, controller=DC):
    out = domain_output(ldapsearch_on(controller) + ["-b", policy.dn, "-s", "base", "versionNumber", "gPCMachineExtensionNames",
                         "gPCUserExtensionNames", "displayName"])
    return next(iter(parse_ldif(out).values()), {})


def decode_value(entry):
    """A Registry.pol entry's data as Python sees it: text for REG_SZ/REG_EXPAND_SZ, a list of
    strings for REG_MULTI_SZ (read as Windows reads one: up to its first empty string), numbers
    for REG_DWORD/REG_QWORD, bytes otherwise."""
    if entry.type == 7:
        strings = bytes(entry.data).decode("utf-16-le").split("\0")
        return strings[:strings.index("")] if "" in strings else strings
    if isinstance(entry.data, (list, tuple)):
        return bytes(entry.data)
    return entry.data


def read_registry_pol(path):
    """The entries of a Registry.pol as (key, value name, type, data) tuples, in file order;
    None when there is no file."""
    if path is None or not path.exists():
        return None
    pol = ndr_unpack(preg.file, path.read_bytes())
    assert pol.header.signature == "PReg" and pol.header.version == 1, "not a PReg file"
    return [(e.keyname, e.valuename, e.type, decode_value(e)) for e in pol.entries]


def read_gpt_version(gpt_ini):
    text = gpt_ini.decode("latin-1")
    found = re.search(r"^\s*Version\s*=\s*(-?\d+)\s*$", text, re.MULTILINE | re.IGNORECASE)
    return int(found.group(1)) if found else None


@dataclass
class PolicyState:
    """Everything an import may change, read independently of regweave."""
    machine: list
    user: list
    machine_bytes: bytes
    user_bytes: bytes
    gpt_ini: bytes
    gpt_version: int
    version_number: int
    machine_extensions: str
    user_extensions: str

    @property
    def machine_version(self):
        return self.version_number & 0xFFFF

    @property
    def user_version(self):
        return self.version_number >> 16


def _file_bytes(path):
    return path.read_bytes() if path is not None and path.exists() else None


def policy_state(policy):
    attributes = container_attributes(policy)
    machine_pol = policy.registry_pol_path("Machine")
    user_pol = policy.registry_pol_path("User")
    gpt_ini = _file_bytes(find_ignoring_case(policy.folder, ["GPT.INI"]))
    return PolicyState(
        machine=read_registry_pol(machine_pol),
        user=read_registry_pol(user_pol),
        machine_bytes=_file_bytes(machine_pol),
        user_bytes=_file_bytes(user_pol),
        gpt_ini=gpt_ini,
        gpt_version=read_gpt_version(gpt_ini),
        version_number=int(attributes.get("versionNumber", ["0"])[0]),
        machine_extensions=attributes.get("gPCMachineExtensionNames", [""])[0],
        user_extensions=attributes.get("gPCUserExtensionNames", [""])[0])


def registry_type_name(code):
    names = {0: "REG_NONE", 1: "REG_SZ", 2: "REG_EXPAND_SZ", 3: "REG_BINARY", 4: "REG_DWORD",
             7: "REG_MULTI_SZ", 11: "REG_QWORD"}
    return names.get(code, "type %d" % code)


def describe_entries(entries):
    """Registry.pol entries as lines a person can read."""
    if entries is None:
        return ["(no Registry.pol)"]
    if not entries:
        return ["(no entries)"]
    lines = []
    for key, name, code, data in entries:
        if isinstance(data, bytes):
            shown = data.hex(",") if data else "(empty)"
        elif code in (4, 11):
            shown = "0x%x (%d)" % (data, data)
        elif isinstance(data, list):
            shown = ", ".join('"%s"' % item for item in data)
        elif data is None:
            shown = "(key only)"
        else:
            shown = '"%s"' % data
        lines.append("%s\\%s  %s  %s" % (key, name or "(default)", registry_type_name(code), shown))
    return lines


def find_policy(name):
    """The policy with exactly this display name, or None."""
    out = domain_output(LDAPSEARCH + ["-b", "CN=Policies,CN=System," + BASE_DN, "-s", "one",
                         "(objectClass=groupPolicyContainer)", "displayName"])
    for dn, attributes in parse_ldif(out).items():
        if attributes.get("displayName", [None])[0] == name:
            return Policy(name, dn.split(",")[0][3:])
    return None

