"""End-to-end checks of faults in the middle of an import: the domain controller stopping, SYSVOL
running out of room, the Kerberos ticket running out and a directory that would refuse the change.
Each check compares regweave's exact output and status, and the policy afterwards: exactly as it
was before the run, or, where the files were written and the directory was not, exactly in the
state that the next run repairs."""

import base64
import os
import re
import shlex
import subprocess
import time
import uuid
from contextlib import contextmanager
from pathlib import Path

import domain
import fragments
from domain import find_ignoring_case, policy_state
from regweave_runner import RunResult
from suite import (BOTH_SETUPS, Failure, check, expect_equal, expect_saved, expect_unchanged,
                   exit_status, failure_line, import_first_settings, progress)

GUARDED = r"Software\Policies\Regweave\Guarded"
FIRST_ENTRY = (GUARDED, "Original", 1, "keep me")  # what import_first_settings imports
ADDED_ENTRY = (GUARDED, "Added", 1, "by the interrupted run")
REPAIR_ENTRY = (GUARDED, "Repair", 1, "by the next run")


def fragment_adding(ctx, entry):
    key, name, _, value = entry
    return ctx.fragment("%s.reg" % name.lower(), fragments.single_value_fragment(
        "HKEY_LOCAL_MACHINE", key, name, value))


def machine_import(policy, source):
    return [policy.name, str(source), "/abs", "/machine"]


def expect_failed_run(result, policy, source, hr):
    expect_equal((result.stdout.decode(errors="replace"), result.status),
                 (progress(policy.name, source) + failure_line(hr), exit_status(hr)),
                 "standard output and exit status")


def expect_files_ahead_of_directory(policy, before, entries):
    """The state of a save that wrote Registry.pol and GPT.INI but not the directory: the new
    settings and the raised version in the files; versionNumber, both extension names and the
    user half as they were. Returns that state."""
    after = policy_state(policy)
    expect_equal(after.machine, entries, "machine Registry.pol entries")
    expect_equal(after.gpt_version, before.gpt_version + 1, "GPT.INI version")

    def kept(state):
        return (state.version_number, state.machine_extensions, state.user_extensions,
                state.user_bytes)
    expect_equal(kept(after), kept(before), "versionNumber, extension names and user half")
    return after


def expect_next_run_repairs(ctx, policy, interrupted, entries):
    """An import after the fault has gone saves the policy whole: its version passes the one
    GPT.INI already holds, and the extension names record the registry settings."""
    source = fragment_adding(ctx, REPAIR_ENTRY)
    ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0)
    expect_saved(policy_state(policy), "machine", entries + [REPAIR_ENTRY],
                 (interrupted.gpt_version & 0xFFFF) + 1)


# Kills every process of the domain controller (samba, smbd, winbindd) and waits until each has
# ended or is a zombie: either way its sockets are closed. $1 is the folder of the domain scripts.
KILL_CONTROLLER = """source "$1/settings"
servers=()
for pid in $(ip netns pids "$domain_netns"); do
  if is_domain_server "$pid"; then servers+=("$pid"); fi
done
kill -KILL "${servers[@]}"
for pid in "${servers[@]}"; do
  while grep -qs '^State:[[:space:]]*[^Z]' "/proc/$pid/status"; do sleep 0.05; done
done
"""


def run_under_gdb_stopping_at(ctx, function, actions, args):
    """Runs regweave under gdb, which carries out actions (gdb commands) when the run reaches
    function. Returns what the run printed, what gdb said (in place of standard error) and the
    run's exit status, 255 when a signal ended it."""
    reached = ctx.scratch / "reached-breakpoint"
    output = ctx.scratch / "debugged-stdout"
    for leftover in (reached, output):
        leftover.unlink(missing_ok=True)
    commands = ctx.scratch / "debug.gdb"
    # Signals to end the program go to it, as they would without a debugger.
    commands.write_text("\n".join([
        "set pagination off", "set confirm off", "set breakpoint pending off",
        "handle SIGTERM nostop noprint pass", "handle SIGINT nostop noprint pass",
        "break " + function, "commands", "silent",
        "shell touch %s" % shlex.quote(str(reached))] + actions + [
        "end",
        "run %s >%s" % (" ".join(shlex.quote(a) for a in args), shlex.quote(str(output))),
        "if $_isvoid($_exitcode)", "quit 255", "else", "quit $_exitcode", "end", ""]))
    # A sanitizer build runs here without its leak check, which cannot work under a debugger.
    environment = dict(os.environ, LC_ALL="C.UTF-8", ASAN_OPTIONS="detect_leaks=0")
    debugger = domain.in_domain(
        ["gdb", "-q", "-batch", "-x", str(commands), ctx.regweave.program],
        capture_output=True, stdin=subprocess.DEVNULL, env=environment)
    if not reached.exists() or not output.exists():
        raise Failure("the run never reached %s; gdb said:\n%s" % (
            function, debugger.stderr.decode(errors="replace")))
    return RunResult(output.read_bytes(), debugger.stdout + debugger.stderr, debugger.returncode,
                     "")


def run_killing_the_controller_at(ctx, function, args):
    """Runs regweave under gdb, which kills the domain controller when the run reaches function,
    then starts the controller again on its state, keeping its policies for the next checks."""
    killer = ctx.scratch / "kill-controller"
    killer.write_text(KILL_CONTROLLER)
    kill = "shell bash %s %s" % (shlex.quote(str(killer)), shlex.quote(str(domain.DOMAIN_DIR)))
    try:
        return run_under_gdb_stopping_at(ctx, function, [kill, "continue"], args)
    finally:
        subprocess.run([str(domain.DOMAIN_DIR / "start"), "--restart"], check=True,
                       capture_output=True)


@check
def domain_controller_stopped_during_the_run(ctx):
    """Samba killed while regweave runs: before the save nothing is written; between the files
    and the directory the files are ahead of it until the next run."""
    stops = [
        # (where the run is when the controller dies, HRESULT, whether the files were written)
        # The save starts from the container the search read and reaches SYSVOL first.
        ("FragmentFile::ImportSections", 0x80070035, False),
        ("PolicyContainer::Update", 0x8007203A, True),  # the directory server is down
    ]
    for function, hr, files_written in stops:
        policy = ctx.policy("controller stopped in " + function.replace("::", " "))
        before = import_first_settings(ctx, policy)
        source = fragment_adding(ctx, ADDED_ENTRY)
        result = run_killing_the_controller_at(ctx, function, machine_import(policy, source))
        expect_failed_run(result, policy, source, hr)
        if files_written:
            entries = [FIRST_ENTRY, ADDED_ENTRY]
            interrupted = expect_files_ahead_of_directory(policy, before, entries)
            expect_next_run_repairs(ctx, policy, interrupted, entries)
        else:
            expect_unchanged(policy, before, "a run whose controller stopped before the save")


@check
def run_asked_to_end_during_the_save(ctx):
    """A run told to end (SIGTERM from a timeout, SIGINT from Ctrl-C) during the save ends by that
    signal only after the save: while it writes the new Registry.pol, the save is undone and its
    temporary file removed, so the policy is as it was; once Registry.pol has been replaced, the
    save is finished, directory included."""
    cases = [
        # (where the run is when the signal comes, the signal, whether the save is finished)
        ("SmbFile::Write", "SIGTERM", False),
        ("SmbFile::Write", "SIGINT", False),
        ("SmbFile::Rewrite", "SIGTERM", True),
    ]
    for function, signal_name, finished in cases:
        policy = ctx.policy("asked to end with %s in %s" % (signal_name, function.split("::")[1]))
        before = import_first_settings(ctx, policy)
        source = fragment_adding(ctx, ADDED_ENTRY)
        # The breakpoint goes first: the handler returns to it, and would meet it again.
        actions = ["delete", "signal " + signal_name]
        result = run_under_gdb_stopping_at(ctx, function, actions, machine_import(policy, source))
        expect_equal(result.stdout.decode(errors="replace"), progress(policy.name, source),
                     "standard output")
        said = result.stderr.decode(errors="replace")
        expect_equal(("terminated with signal %s" % signal_name in said, result.status), (True, 255),
                     "the run ended by %s (gdb said: %s)" % (signal_name, said))
        if finished:
            expect_saved(policy_state(policy), "machine", [FIRST_ENTRY, ADDED_ENTRY],
                         (before.gpt_version & 0xFFFF) + 1)
        else:
            expect_unchanged(policy, before, "a run ended by %s" % signal_name)
        machine = find_ignoring_case(policy.folder, ["Machine"])
        expect_equal(sorted(entry.name for entry in machine.iterdir()), ["Registry.pol"],
                     "the machine folder's files")


def samba_pid():
    return Path(domain.SETTINGS["domain_pid_file"]).read_text().strip()


@contextmanager
def full_folder(ctx, folder):
    """folder as the domain controller serves it, on a small file system of its own holding copies
    of its files (with the extended attributes in which Samba keeps their ACLs) and filled to the
    last block. Only the controller's mount namespace sees the mount; it is removed on every way
    out. Yields the folder's path as the controller sees it."""
    pid = samba_pid()
    in_controller = ["nsenter", "-t", pid, "-m", "--"]
    staging = ctx.scratch / ("staging-%s" % folder.parent.name)
    subprocess.run(in_controller + ["cp", "-a", str(folder), str(staging)], check=True)
    subprocess.run(in_controller + ["mount", "-t", "tmpfs", "-o", "size=64k,mode=0700",
                                    "regweave-full", str(folder)], check=True)
    try:
        subprocess.run(in_controller + ["cp", "-a", "%s/." % staging, str(folder)], check=True)
        # dd ends with "No space left on device", which is the point.
        subprocess.run(in_controller + ["dd", "if=/dev/zero", "of=%s/filler" % folder, "bs=4k"],
                       capture_output=True)
        served = Path("/proc/%s/root" % pid) / folder.relative_to("/")
        if os.statvfs(served).f_bavail != 0:
            raise RuntimeError("the small file system over %s is not full" % folder)
        yield served
    finally:
        subprocess.run(in_controller + ["umount", str(folder)], check=True)


@check
def sysvol_without_space_for_the_new_file(ctx):
    policy = ctx.policy("full sysvol")
    before = import_first_settings(ctx, policy)
    source = fragment_adding(ctx, ADDED_ENTRY)
    with full_folder(ctx, policy.half_folder("Machine")) as served:
        names = sorted(os.listdir(served))
        result = ctx.run(machine_import(policy, source))
        expect_failed_run(result, policy, source, 0x80070070)  # ERROR_DISK_FULL
        expect_equal(sorted(os.listdir(served)), names, "files in the full folder")
        expect_equal(find_ignoring_case(served, ["Registry.pol"]).read_bytes(),
                     before.machine_bytes, "Registry.pol as the controller serves it")
    expect_unchanged(policy, before, "a save into a full folder")


def expired_ticket_cache(ctx):
    """A ticket cache whose Administrator ticket has run out: issued for two seconds, then waited
    for until klist finds no valid ticket in it."""
    cache = ctx.scratch / "expired.krb5cc"
    principal = "Administrator@" + domain.SETTINGS["domain_realm"]
    with open(domain.SETTINGS["domain_password_file"], "rb") as password:
        domain.in_domain(["kinit", "-l", "2s", "-c", "FILE:%s" % cache, principal],
                         stdin=password, capture_output=True, check=True)
    deadline = time.monotonic() + 60
    while subprocess.run(["klist", "-s", "-c", "FILE:%s" % cache]).returncode == 0:
        if time.monotonic() > deadline:
            raise RuntimeError("the two-second ticket in %s does not expire" % cache)
        time.sleep(0.2)
    return cache


@check
def expired_kerberos_ticket(ctx):
    policy = ctx.policy("expired ticket")
    before = import_first_settings(ctx, policy)
    source = fragment_adding(ctx, ADDED_ENTRY)
    result = ctx.run(machine_import(policy, source), who=expired_ticket_cache(ctx))
    expect_failed_run(result, policy, source, 0x8007203B)  # the SASL bind fails locally
    expect_unchanged(policy, before, "a run with an expired ticket")


# Denies a right on a directory object by an explicit ACE, or puts its DACL back; runs in the
# domain with Samba's own modules. Arguments: deny URL DN ACE (prints the descriptor before the
# change) or restore URL DN SDDL.
DACL_EDITOR = """import sys
from samba import credentials, param
from samba.dcerpc import security
from samba.samdb import SamDB
from samba.sd_utils import SDUtils
action, url, dn, text = sys.argv[1:]
lp = param.LoadParm()
lp.load_default()
creds = credentials.Credentials()
creds.guess(lp)
creds.set_kerberos_state(credentials.MUST_USE_KERBEROS)
editor = SDUtils(SamDB(url=url, lp=lp, credentials=creds))
if action == "deny":
    print(editor.get_sd_as_sddl(dn))
    editor.dacl_add_ace(dn, text)
else:
    editor.modify_sd_on_dn(dn, security.descriptor.from_sddl(text, editor.domain_sid),
                           controls=["sd_flags:1:%d" % security.SECINFO_DACL])
"""


def edit_dacl(action, dn, text):
    return domain.domain_output(["/usr/bin/python3", "-c", DACL_EDITOR, action,
                                 "ldap://" + domain.DC, dn, text])


def schema_guid(attribute):
    out = domain.domain_output(domain.LDAPSEARCH + [
        "-b", "CN=Schema,CN=Configuration," + domain.BASE_DN, "(lDAPDisplayName=%s)" % attribute,
        "schemaIDGUID"])
    found = re.search(r"^schemaIDGUID:: (\S+)$", out, re.MULTILINE)
    return str(uuid.UUID(bytes_le=base64.b64decode(found.group(1))))


@contextmanager
def attribute_writes_denied(policy, attribute):
    """An explicit deny of writing the attribute on the policy's container to the domain's
    Administrator, who runs regweave and may still change the policy's files; the container's
    DACL is put back on every way out."""
    ace = "(OD;;WP;%s;;LA)" % schema_guid(attribute)
    original = edit_dacl("deny", policy.dn, ace).strip()
    try:
        yield
    finally:
        edit_dacl("restore", policy.dn, original)


@check(setups=BOTH_SETUPS)
def directory_that_would_refuse_the_change(ctx):
    """A user who may change the policy's files but not what the save changes in its container
    is refused before anything is written: the policy stays exactly as it was."""
    rows = [
        # (the attribute the user may not write, whether an earlier import wrote the policy)
        ("versionNumber", True),
        ("gPCMachineExtensionNames", False),
    ]
    for attribute, imported_before in rows:
        policy = ctx.policy("%s refused" % attribute)
        before = import_first_settings(ctx, policy) if imported_before else policy_state(policy)
        source = fragment_adding(ctx, ADDED_ENTRY)
        with attribute_writes_denied(policy, attribute):
            result = ctx.run(machine_import(policy, source))
        expect_failed_run(result, policy, source, 0x80070005)
        expect_unchanged(policy, before, "a save the directory would refuse")
