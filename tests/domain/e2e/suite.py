"""End-to-end checks of regweave: the built program is run inside the throwaway domain as an
administrator would run it, and each policy is then read back with Samba's own tools (its
Registry.pol reader, ldapsearch and GPT.INI). Prints one line per check and a final
"N passed, M failed"; exits 1 when a check failed."""

import argparse
import codecs
import os
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

import domain
import fragments
from domain import REGISTRY_EXTENSION_PAIR, create_policy, policy_state
from regweave_runner import Regweave, require_program

CHECKS = []


def check(function=None, *, setups=("local",)):
    """Registers a check for the domain setups it runs on (tests/domain/settings): a joined
    host's domain runs a representative set and what only it can show."""
    def register(checked):
        checked.setups = setups
        CHECKS.append(checked)
        return checked
    return register(function) if function is not None else register


BOTH_SETUPS = ("local", "joined")


class Failure(AssertionError):
    pass


def expect_equal(actual, expected, what):
    if actual != expected:
        raise Failure("%s:\n    expected %r\n    actual   %r" % (what, expected, actual))


def progress(target, source):
    return "Processing...\n  GPO Name: %s\n  REG Fragment: %s\n" % (target, source)


def failure_line(hr):
    return "Error occured. hr=0x%08x\n" % hr


def exit_status(hr):
    """The status the Linux build exits with for an HRESULT: its low byte, 1 for a failure whose
    low byte is 0."""
    low = hr & 0xFF
    return low if low or hr == 0 else 1


class Context:
    """What every check needs: the program, a tag that keeps this run's policies apart from
    earlier runs' in the same domain, and a scratch folder."""

    def __init__(self, regweave, scratch):
        self.regweave = regweave
        self.scratch = Path(scratch)
        self.tag = "e2e-%x" % int(time.time() * 1000)

    def policy(self, label):
        return create_policy("%s %s" % (self.tag, label))

    def fragment(self, name, text, encoding="utf-16"):
        path = self.scratch / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(fragments.encode_fragment(text, encoding))
        return path

    def run(self, args, **kwargs):
        result = self.regweave.run(args, **kwargs)
        if result.memory_report:
            raise Failure("the memory checker reported, for %s:\n%s" % (args, result.memory_report))
        expect_equal(result.stderr.decode(errors="replace"), "", "standard error of %s" % args)
        return result

    def import_and_expect(self, target, source, switches, stdout, status, **kwargs):
        result = self.run([target, str(source), "/abs"] + switches, **kwargs)
        expect_equal(result.stdout.decode(errors="replace"), stdout, "standard output")
        expect_equal(result.status, status, "exit status")
        return result


def expect_saved(state, half, entries, version):
    """The half holds exactly entries, its version in GPT.INI and versionNumber is version and
    its extension names record the registry settings."""
    expect_equal(getattr(state, half), entries, "%s Registry.pol entries" % half)
    expect_equal(getattr(state, half + "_version"), version, "%s version" % half)
    expect_equal(state.gpt_version, state.version_number, "GPT.INI Version against versionNumber")
    expect_equal(getattr(state, half + "_extensions"), REGISTRY_EXTENSION_PAIR,
                 "%s extension names" % half)


def expect_untouched(state, half):
    expect_equal(getattr(state, half), None, "%s Registry.pol" % half)
    expect_equal(getattr(state, half + "_version"), 0, "%s version" % half)
    expect_equal(getattr(state, half + "_extensions"), "", "%s extension names" % half)


def expect_unchanged(policy, before, what):
    after = policy_state(policy)
    expect_equal(after, before, "%s left %s as it was" % (what, policy.name))


@check(setups=BOTH_SETUPS)
def unicode_export_into_the_machine_half(ctx):
    policy = ctx.policy("unicode machine")
    source = ctx.fragment("export.reg", fragments.EXPORT)
    ctx.import_and_expect(policy.name, source, ["/machine"],
                          progress(policy.name, source) + fragments.EXPORT_MACHINE_MESSAGES, 0)
    state = policy_state(policy)
    expect_saved(state, "machine", fragments.EXPORT_MACHINE_ENTRIES, 1)
    expect_untouched(state, "user")


@check(setups=BOTH_SETUPS)
def unicode_export_into_the_user_half(ctx):
    policy = ctx.policy("unicode user")
    source = ctx.fragment("export.reg", fragments.EXPORT)
    ctx.import_and_expect(policy.name, source, ["/user"],
                          progress(policy.name, source) + fragments.EXPORT_USER_MESSAGES, 0)
    state = policy_state(policy)
    expect_saved(state, "user", fragments.EXPORT_USER_ENTRIES, 1)
    expect_untouched(state, "machine")


GBK_FRAGMENT = "\n".join([
    "REGEDIT4",
    "",
    # 乗 is 0x81 0x5C in GBK: its trail byte is a backslash that must not split the key path.
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Regweave\乗客\Legacy]",
    '"名前"="乗り場 3"',
    '"Count"=dword:00000003',
    "",
])


@check
def ansi_regedit4_fragment_in_a_double_byte_code_page(ctx):
    policy = ctx.policy("regedit4 gbk")
    source = ctx.fragment("legacy-gbk.reg", GBK_FRAGMENT, encoding="gbk")
    ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0,
                          env=compiled_locale(ctx, "zh_CN", "GBK"))
    key = r"SOFTWARE\Policies\Regweave\乗客\Legacy"
    expect_saved(policy_state(policy), "machine",
                 [(key, "名前", 1, "乗り場 3"), (key, "Count", 4, 3)], 1)


def compiled_locale(ctx, language, code_set):
    """The environment of a locale compiled into the scratch folder, so no locale need be
    installed."""
    folder = ctx.scratch / "locales"
    name = "%s.%s" % (language, code_set)
    if not (folder / name).exists():
        folder.mkdir(exist_ok=True)
        subprocess.run(["localedef", "-i", language, "-f", code_set, str(folder / name)],
                       check=True, capture_output=True)
    return {"LOCPATH": str(folder), "LC_ALL": name}


@check
def published_fragment_lands_as_its_author_meant(ctx):
    """In a UTF-8 locale the comments after values add nothing, the longer root is passed over,
    both Chinese keys land and the GBK description is refused, not stored with U+FFFD. Under
    CP1252, which lacks the Chinese names, the Unicode export is refused whole."""
    policy = ctx.policy("published")
    source = ctx.scratch / "published.reg"
    source.write_bytes(fragments.published_fragment("utf-8"))
    ctx.import_and_expect(policy.name, source, ["/user"], progress(policy.name, source) +
                          "Error 1113, unable to write value: Desc\n", 0)
    state = policy_state(policy)
    expect_saved(state, "user", fragments.PUBLISHED_ENTRIES, 1)
    source.write_bytes(fragments.published_fragment("utf-16"))
    ctx.import_and_expect(policy.name, source, ["/user"],
                          progress(policy.name, source) + failure_line(0x80070459), 89,
                          env=compiled_locale(ctx, "de_DE", "CP1252"))
    expect_unchanged(policy, state, "a fragment the code page cannot hold")


def upload_registry_pol(policy, half, entries):
    """Writes the half's Registry.pol with Samba's own packer, through SYSVOL, as another
    administration tool would."""
    from samba.dcerpc import preg
    from samba.ndr import ndr_pack
    pol = preg.file()
    records = []
    for key, name, code, text in entries:
        record = preg.entry()
        record.keyname, record.valuename, record.type, record.data = key, name, code, text
        records.append(record)
    pol.entries = records
    pol.num_entries = len(records)
    local = tempfile.NamedTemporaryFile(delete=False, suffix=".pol")
    local.write(ndr_pack(pol))
    local.close()
    remote = "%s/Policies/%s/%s/Registry.pol" % (domain.SETTINGS["domain_dns"], policy.guid, half)
    try:
        domain.domain_output(["smbclient", "-k", "//%s/sysvol" % domain.DC, "-c",
                              'put "%s" "%s"' % (local.name, remote)])
    finally:
        os.unlink(local.name)


@check(setups=BOTH_SETUPS)
def second_import_keeps_the_first_and_what_others_wrote(ctx):
    policy = ctx.policy("layered")
    packed = (r"Software\Policies\Samba\Written", "ByPacker", 1, "kept")
    upload_registry_pol(policy, "Machine", [packed])
    key = r"Software\Policies\Regweave\Layered"
    first = ctx.fragment("first.reg", "\n".join([
        "Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\%s]" % key,
        '"First"="from the first import"', '"Shared"=dword:00000001', ""]))
    second = ctx.fragment("second.reg", "\n".join([
        "Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\%s]" % key,
        '"Second"="from the second import"', '"Shared"=dword:00000002', ""]))
    ctx.import_and_expect(policy.name, first, ["/machine"], progress(policy.name, first), 0)
    ctx.import_and_expect(policy.name, second, ["/machine"], progress(policy.name, second), 0)
    expect_saved(policy_state(policy), "machine", [
        (key, "First", 1, "from the first import"),
        (key, "Shared", 4, 2),
        (key, "Second", 1, "from the second import"),
        packed,
    ], 2)


@check(setups=BOTH_SETUPS)
def deletions_become_delete_records(ctx):
    """"name"=- takes the value out of the policy and leaves the record that deletes it on the
    clients, also for a value the policy never set and for a name in another case; setting the
    value again takes the record away."""
    policy = ctx.policy("deletions")
    key = r"Software\Policies\Regweave\Deletions"

    def fragment(file_name, *entries):
        return ctx.fragment(file_name, "\n".join(
            ["Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\%s]" % key]
            + list(entries) + [""]))

    steps = [
        (fragment("set.reg", '"X"="on"', '"Other"=dword:00000001', '"Kept"=dword:00000002'), None),
        (fragment("delete.reg", '"X"=-', '"Y" = - ; never set', '"OTHER"=-'),
         [(key, "Kept", 4, 2), (key, "**del.X", 1, " "), (key, "**del.Y", 1, " "),
          (key, "**del.OTHER", 1, " ")]),
        (fragment("again.reg", '"x"="back"'),
         [(key, "Kept", 4, 2), (key, "**del.Y", 1, " "), (key, "**del.OTHER", 1, " "),
          (key, "x", 1, "back")]),
    ]
    for version, (source, entries) in enumerate(steps, start=1):
        ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0)
        if entries is not None:
            expect_saved(policy_state(policy), "machine", entries, version)


@check(setups=BOTH_SETUPS)
def whatif_lists_the_changes_and_writes_nothing(ctx):
    """/whatif imports into the opened policy, lists what changed and saves nothing: not into a
    policy without a Registry.pol yet, nor into one that holds values, whose files and
    attributes stay byte for byte as they were."""
    policy = ctx.policy("whatif")
    key = r"Software\Policies\Regweave\WhatIf"
    section = "[HKEY_LOCAL_MACHINE\\%s]" % key

    def fragment(file_name, *entries):
        return ctx.fragment(file_name, "\n".join(
            ["Windows Registry Editor Version 5.00", "", section] + list(entries) + [""]))

    first = fragment("first.reg", '"Kept"=dword:00000001', '"Mode"="old"', '"Gone"="x"')
    second = fragment("second.reg", '"Kept"=dword:00000001', '"Mode"="new"', '"Gone"=-',
                      '"Added"=hex:01')
    previews = [
        (first, ['Would add     %s "Kept"=dword:00000001' % section,
                 'Would add     %s "Mode"="old"' % section,
                 'Would add     %s "Gone"="x"' % section,
                 "3 to add, 0 to change, 0 to remove, 0 unchanged."]),
        (second, ['Would change  %s "Mode"="old" -> "new"' % section,
                  'Would add     %s "Gone"=-' % section,
                  'Would add     %s "Added"=hex:01' % section,
                  'Would remove  %s "Gone"="x"' % section,
                  "2 to add, 1 to change, 1 to remove, 1 unchanged."]),
    ]
    for source, listing in previews:
        state = policy_state(policy)
        ctx.import_and_expect(policy.name, source, ["/machine", "/WhatIf"],
                              progress(policy.name, source) + "\n".join(listing) +
                              "\nNothing was saved (/whatif).\n", 0)
        expect_unchanged(policy, state, "/whatif")
        ctx.import_and_expect(policy.name, first, ["/machine"], progress(policy.name, first), 0)


@check(setups=BOTH_SETUPS)
def local_switch_uses_the_computers_own_directory(ctx):
    policy = ctx.policy("local")
    source = ctx.fragment("local.reg", fragments.single_value_fragment(
        "HKEY_CURRENT_USER", r"Software\Policies\Regweave\Local", "Via", "dc1"))
    short_name = domain.DC.split(".")[0]
    ctx.import_and_expect(policy.name, source, ["/user", "/local"],
                          progress(policy.name, source), 0, hostname=short_name)
    expect_saved(policy_state(policy), "user",
                 [(r"Software\Policies\Regweave\Local", "Via", 1, "dc1")], 1)


@check
def fragment_path_completion(ctx):
    """Without /abs the fragment is looked for beside the program when it was started by a path,
    and in the current directory when it was found on the PATH."""
    policy = ctx.policy("paths")
    program = ctx.regweave.installed_copy(ctx.scratch / "bin")
    work = ctx.scratch / "work"
    key = r"Software\Policies\Regweave\Paths"
    ctx.fragment("bin/beside.reg", fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", key, "Beside", "program"))
    ctx.fragment("work/here.reg", fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", key, "Here", "current directory"))
    ctx.fragment("work/sub/relative.reg", fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", key, "Relative", "as typed"))
    on_path = {"PATH": "%s:%s" % (program.parent, os.environ.get("PATH", ""))}
    runs = [
        # (arguments, how the program is started, environment, fragment it reads, status)
        (["beside.reg", "/machine"], str(program), None, "%s/beside.reg" % program.parent, 0),
        (["here.reg", "/MACHINE"], "regweave", on_path, "%s/here.reg" % work, 0),
        (["sub/relative.reg", "/ABS", "/machine"], str(program), None, "sub/relative.reg", 0),
        # /abs counts only right after the source: here the path is still completed.
        (["sub/relative.reg", "/machine", "/abs"], str(program), None,
         "%s/sub/relative.reg" % program.parent, 2),
    ]
    for args, started_as, environment, read, status in runs:
        result = ctx.run([policy.name] + args, cwd=str(work), program=started_as, env=environment)
        stdout = progress(policy.name, read)
        if status:
            stdout += failure_line(0x80070002)
        expect_equal((result.stdout.decode(), result.status), (stdout, status), " ".join(args))
    expect_saved(policy_state(policy), "machine", [
        (key, "Beside", 1, "program"),
        (key, "Here", 1, "current directory"),
        (key, "Relative", 1, "as typed"),
    ], 3)


@check
def target_that_matches_nothing(ctx):
    witness = ctx.policy("witness")
    before = policy_state(witness)
    source = ctx.fragment("export.reg", fragments.EXPORT)
    missing = "%s no such policy" % ctx.tag
    ctx.import_and_expect(missing, source, ["/machine"],
                          progress(missing, source) + failure_line(0x80004003), 3)
    expect_unchanged(witness, before, "a run for another policy")


@check
def missing_scope_switch(ctx):
    policy = ctx.policy("no scope")
    before = policy_state(policy)
    for args in ([policy.name, "export.reg"], [policy.name, "export.reg", "/abs", "/local"]):
        result = ctx.run(args, cwd=str(ctx.scratch))
        expect_equal((result.stdout.decode(), result.status),
                     (failure_line(0x80070057), 87), " ".join(args))
    expect_unchanged(policy, before, "a run without /machine or /user")


@check
def fragment_with_only_the_other_roots_sections(ctx):
    policy = ctx.policy("other root only")
    source = ctx.fragment("user-only.reg", fragments.single_value_fragment(
        "HKEY_CURRENT_USER", r"Software\Policies\Regweave\UserOnly", "Skipped", "yes"))
    ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0)
    state = policy_state(policy)
    expect_saved(state, "machine", [], 1)
    expect_untouched(state, "user")


@check
def missing_fragment_changes_nothing(ctx):
    policy = ctx.policy("missing fragment")
    before = policy_state(policy)
    source = ctx.scratch / "no-such-fragment.reg"
    ctx.import_and_expect(policy.name, source, ["/machine"],
                          progress(policy.name, source) + failure_line(0x80070002), 2)
    expect_unchanged(policy, before, "a run with a mistyped fragment path")


def import_first_settings(ctx, policy):
    source = ctx.fragment("first-settings.reg", fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", r"Software\Policies\Regweave\Guarded", "Original", "keep me"))
    ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0)
    return policy_state(policy)


@check
def sysvol_folder_that_refuses_writes(ctx):
    policy = ctx.policy("read-only sysvol")
    before = import_first_settings(ctx, policy)
    folder = policy.half_folder("Machine")
    frozen = [folder, policy.registry_pol_path("Machine")]
    source = ctx.fragment("export.reg", fragments.EXPORT)
    subprocess.run(["chattr", "+i"] + [str(p) for p in frozen], check=True)
    try:
        result = ctx.run([policy.name, str(source), "/abs", "/machine"])
    finally:
        subprocess.run(["chattr", "-i"] + [str(p) for p in frozen], check=True)
    expect_refused_save(result, policy, source, 0x80070005)
    expect_unchanged(policy, before, "a save that SYSVOL refused")


def expect_refused_save(result, policy, source, hr):
    expect_equal(result.stdout.decode(),
                 progress(policy.name, source) + fragments.EXPORT_MACHINE_MESSAGES +
                 failure_line(hr), "standard output")
    expect_equal(result.status, exit_status(hr), "exit status")


@check(setups=BOTH_SETUPS)
def user_without_rights_on_the_policy(ctx):
    policy = ctx.policy("not yours")
    before = import_first_settings(ctx, policy)
    source = ctx.fragment("export.reg", fragments.EXPORT)
    result = ctx.run([policy.name, str(source), "/abs", "/machine"], who="user")
    expect_refused_save(result, policy, source, 0x80070005)
    expect_unchanged(policy, before, "a run by a user who may not change the policy")


@check(setups=BOTH_SETUPS)
def directory_that_cannot_be_used(ctx):
    """What an administrator without a Kerberos ticket, or without a reachable domain controller,
    sees: the directory's failure, and no policy changed."""
    policy = ctx.policy("unreachable")
    before = policy_state(policy)
    source = ctx.fragment("export.reg", fragments.EXPORT)
    runs = [
        # (who, how, HRESULT)
        ("none", {}, 0x8007203B),  # no ticket: the SASL bind fails locally
        ("admin", {"hostname": "nodc"}, 0x8007203A),  # /local names a host that is not there
    ]
    for who, how, hr in runs:
        args = [policy.name, str(source), "/abs", "/machine"] + (["/local"] if how else [])
        result = ctx.run(args, who=who, **how)
        expect_equal((result.stdout.decode(), result.status),
                     (progress(policy.name, source) + failure_line(hr), exit_status(hr)),
                     "%s %s" % (who, how))
    expect_unchanged(policy, before, "runs that could not reach the directory")


@check
def display_names_match_only_themselves(ctx):
    """The display name is a value, never a pattern: *, parentheses and backslashes match only
    a policy of exactly that name, and names in any script are found."""
    labels = ["*", "a", "Kiosk (*)", "Kiosk (a)", "back\\slash", "\\2a", "Richtlinie für Büros",
              "策略"]
    policies = {label: ctx.policy(label) for label in labels}
    source = ctx.fragment("escaping.reg", fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", r"Software\Policies\Regweave\Escaping", "Hit", "yes"))
    for label in ["*", "Kiosk (*)", "\\2a", "back\\slash", "Richtlinie für Büros", "策略"]:
        versions = {name: policy_state(p).version_number for name, p in policies.items()}
        target = policies[label].name
        ctx.import_and_expect(target, source, ["/machine"], progress(target, source), 0)
        changed = [name for name, p in policies.items()
                   if policy_state(p).version_number != versions[name]]
        expect_equal(changed, [label], "policies changed by an import into %r" % target)
    for pattern in ["K*", "Kiosk (", "*)(displayName=*"]:
        target = "%s %s" % (ctx.tag, pattern)
        ctx.import_and_expect(target, source, ["/machine"],
                              progress(target, source) + failure_line(0x80004003), 3)


EXAMPLES = Path(__file__).resolve().parents[3] / "examples"
INVENTORY = r"Software\Policies\Example\Inventory"
UPDATES = r"Software\Policies\Microsoft\Windows\WindowsUpdate\AU"
WORKSPACE = r"Software\Policies\Example\Workspace"
DESKTOP = r"Software\Policies\Microsoft\Windows\Control Panel\Desktop"


@check
def examples_import_as_the_readme_shows(ctx):
    """The samples the demo imports leave exactly their settings in the policy."""
    policy = ctx.policy("examples")
    for name, switch in (("machine.reg", "/machine"), ("user.reg", "/user")):
        source = EXAMPLES / name
        ctx.import_and_expect(policy.name, source, [switch], progress(policy.name, source), 0)
    state = policy_state(policy)
    expect_saved(state, "machine", [
        (INVENTORY, "", 1, "Inventory agent"),
        (INVENTORY, "Server", 1, "inventory.example.test"),
        (INVENTORY, "Port", 4, 9090),
        (INVENTORY, "DataFolder", 2, "%ProgramData%\\Example\\Inventory"),
        (INVENTORY, "Mirrors", 7, ["mirror1.example.test", "mirror2.example.test"]),
        (INVENTORY, "Thumbprint", 3, bytes.fromhex("3b8f5a1c9e07d2446a0f1e9cb37d58a2e4c61f90")),
        (INVENTORY, "MaxLogBytes", 11, 64 << 20),
        (UPDATES, "NoAutoUpdate", 4, 0),
        (UPDATES, "AUOptions", 4, 4),
        (UPDATES, "ScheduledInstallDay", 4, 0),
        (UPDATES, "ScheduledInstallTime", 4, 3),
    ], 1)
    expect_saved(state, "user", [
        (WORKSPACE, "Theme", 1, "high contrast"),
        (WORKSPACE, "Shortcuts", 7, ["Mail", "Calendar", "Files"]),
        (WORKSPACE, "HomeFolder", 2, "%USERPROFILE%\\Work"),
        (DESKTOP, "ScreenSaveActive", 1, "1"),
        (DESKTOP, "ScreenSaverIsSecure", 1, "1"),
        (DESKTOP, "ScreenSaveTimeOut", 1, "600"),
    ], 1)


# Every value form the export writes: each registry type, a delete record and a **delvals.
# record, text outside Latin-1, quotes, a line break, a list long enough to wrap, a key without
# values.
EXPORT_KEY = r"HKEY_LOCAL_MACHINE\Software\Policies\Regweave\Export"
EXPORTED_POLICY = "\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    "[%s]" % EXPORT_KEY,
    '@="default"',
    '"Text"="say "hi" to C:\\Temp\\"',
    '"Lines"=hex(1):61,00,0d,00,0a,00,62,00,00,00',
    '"名前"="文字 ünïcödé ✓"',
    '"Expand"=hex(2):25,00,78,00,25,00,00,00',
    '"Multi"=hex(7):61,00,00,00,2d,4e,00,00,00,00',
    '"Number"=dword:0000002a',
    '"Big"=hex(5):00,00,00,2a',
    '"Quota"=hex(b):00,00,00,04,00,00,00,00',
    '"Blob"=hex:' + ",".join("%02x" % byte for byte in range(40)),
    '"None"=hex(0):',
    '"Own"=hex(a):01,02',
    '"**del.Gone"=" "',
    '"**delvals."=" "',
    "",
    "[%s\\Empty]" % EXPORT_KEY,
    "",
    "[%s\\键]" % EXPORT_KEY,
    '"Wert"=dword:00000001',
    "",
])


@check
def export_imports_back_to_the_same_records(ctx):
    """import(export(policy)) holds the policy's records in their order, byte for byte; the
    exported policy is left as it was, an existing file is never overwritten, and a code page
    without the policy's Chinese names exports the same file."""
    source_policy = ctx.policy("export source")
    copy = ctx.policy("export copy")
    source = ctx.fragment("every-form.reg", EXPORTED_POLICY)
    ctx.import_and_expect(source_policy.name, source, ["/machine"],
                          progress(source_policy.name, source), 0)
    before = policy_state(source_policy)
    exported = ctx.scratch / "exported.reg"
    ctx.import_and_expect(source_policy.name, exported, ["/machine", "/export"],
                          progress(source_policy.name, exported), 0)
    expect_unchanged(source_policy, before, "an export")
    written = exported.read_bytes()
    expect_equal(written[:2], codecs.BOM_UTF16_LE, "the export's byte-order mark")
    ctx.import_and_expect(source_policy.name, exported, ["/machine", "/EXPORT"],
                          progress(source_policy.name, exported) + failure_line(0x80070050), 80)
    expect_equal(exported.read_bytes(), written, "the existing file after a second export")
    western = ctx.scratch / "exported-cp1252.reg"
    ctx.import_and_expect(source_policy.name, western, ["/machine", "/export"],
                          progress(source_policy.name, western), 0,
                          env=compiled_locale(ctx, "de_DE", "CP1252"))
    expect_equal(western.read_bytes(), written, "the export under CP1252")
    ctx.import_and_expect(copy.name, exported, ["/machine"], progress(copy.name, exported), 0)
    after = policy_state(copy)
    expect_equal(after.machine, before.machine, "the copy's records, read by Samba")
    expect_equal(after.machine_bytes, before.machine_bytes, "the copy's Registry.pol")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the regweave program to run")
    parser.add_argument("--checker", choices=["valgrind", "asan"],
                        help="run every regweave under this memory checker")
    parser.add_argument("--only", help="run only the checks whose names contain this text")
    return parser.parse_args()


def main():
    arguments = parse_arguments()
    require_program(arguments.program, arguments.checker)
    if not domain.domain_is_running():
        raise SystemExit("the throwaway domain is not running; start it with tests/domain/start")
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="regweave-e2e-") as scratch:
        regweave = Regweave(arguments.program, arguments.checker, Path(scratch) / "memory")
        ctx = Context(regweave, scratch)
        for function in CHECKS:
            if arguments.only and arguments.only not in function.__name__:
                continue
            if domain.SETTINGS["domain_setup"] not in function.setups:
                continue
            try:
                function(ctx)
            except Failure as failure:
                failed += 1
                print("FAIL %s\n  %s" % (function.__name__, str(failure).replace("\n", "\n  ")))
            except Exception:  # a broken check is a failed check, and the run goes on
                failed += 1
                print("FAIL %s\n  %s" % (function.__name__,
                                         traceback.format_exc().replace("\n", "\n  ")))
            else:
                passed += 1
                print("ok   %s" % function.__name__)
            sys.stdout.flush()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    # Modules of further checks import their helpers from "suite" and add to this CHECKS.
    sys.modules["suite"] = sys.modules["__main__"]
    import faults  # noqa: E402,F401
    import concurrency  # noqa: E402,F401
    import joined_host  # noqa: E402,F401
    import controllers  # noqa: E402,F401  (last: it adds a second controller)
    sys.exit(main())
