"""End-to-end checks on a domain of two controllers (setup "joined" with its second controller,
tests/domain/start --second-controller, which DNS lists ahead of the first): an import that
names no server writes on the PDC emulator, its directory and its SYSVOL, before and after the
role moves, and nothing on the other controller; a PDC emulator that does not answer fails the
run and nothing is written anywhere; "/local" still writes on the controller it names."""

import base64
import subprocess
import time
import uuid
from contextlib import contextmanager
from dataclasses import dataclass
from pathlib import Path

from samba.dcerpc import drsblobs
from samba.ndr import ndr_unpack

import domain
from domain import container_attributes, find_ignoring_case, in_domain, read_gpt_version
from domain import domain_output, ldapsearch_on, read_registry_pol
from faults import (ADDED_ENTRY, FIRST_ENTRY, REPAIR_ENTRY, expect_failed_run, fragment_adding,
                    machine_import)
from suite import check, expect_equal, progress

JOINED = ("joined",)
DC1 = domain.DC
DC2 = domain.SETTINGS["domain_dc2"]
SYSVOLS = {DC1: domain.SYSVOL, DC2: Path(domain.SETTINGS["domain_dc2_sysvol"])}
START = str(domain.DOMAIN_DIR / "start")


@dataclass
class ControllerCopy:
    """What one controller holds of a policy: its SYSVOL files and, unless only they are asked
    for (a stopped controller, or one that replication may have reached), its directory's
    version."""
    machine: list
    gpt_version: int
    version_number: int = None


def copy_on(controller, policy, files_only=False):
    folder = policy.folder_on(SYSVOLS[controller])
    gpt_ini = find_ignoring_case(folder, ["GPT.INI"])
    files = ControllerCopy(
        machine=read_registry_pol(find_ignoring_case(folder, ["Machine", "Registry.pol"])),
        gpt_version=read_gpt_version(gpt_ini.read_bytes()) if gpt_ini else None)
    if not files_only:
        attributes = container_attributes(policy, controller)
        files.version_number = int(attributes.get("versionNumber", ["0"])[0])
    return files


VERSION_NUMBER_ATTID = 0x0009008D  # versionNumber, 1.2.840.113556.1.2.141


def binary_attribute(controller, base, scope, search, attribute):
    """The values of a binary attribute (base64 in ldapsearch's answer) in the entries found."""
    out = domain_output(ldapsearch_on(controller) + ["-b", base, "-s", scope, search, attribute])
    return [base64.b64decode(line.split(":: ", 1)[1]) for line in out.splitlines()
            if line.startswith(attribute + ":: ")]


def controller_that_wrote_the_version(policy, read_on):
    """The controller where the policy's versionNumber was last changed (the originating
    controller of its replication metadata), as read_on knows it."""
    blob = binary_attribute(read_on, policy.dn, "base", "(objectClass=*)",
                            "replPropertyMetaData")[0]
    entries = ndr_unpack(drsblobs.replPropertyMetaDataBlob, blob).ctr.array
    written_by = next(str(entry.originating_invocation_id) for entry in entries
                      if entry.attid == VERSION_NUMBER_ATTID)
    for controller in SYSVOLS:
        name = controller.split(".")[0].upper()
        settings = "CN=NTDS Settings,CN=%s,CN=Servers,CN=Default-First-Site-Name,CN=Sites," \
                   "CN=Configuration,%s" % (name, domain.BASE_DN)
        invocation = binary_attribute(read_on, settings, "base", "(objectClass=*)",
                                      "invocationId")[0]
        if str(uuid.UUID(bytes_le=invocation)) == written_by:
            return controller
    return written_by


def start_second_controller():
    subprocess.run([START, "--second-controller"], check=True, capture_output=True)


def samba_tool(*args):
    in_domain(["samba-tool"] + list(args) + ["--use-kerberos=required"], check=True,
              capture_output=True)


def copy_sysvol_to(controller, policy):
    """SYSVOL is not replicated: the policy's folder is copied from the PDC emulator, with the
    extended attributes that hold its ACL, as Samba's documented workaround copies it."""
    source = policy.folder
    target = SYSVOLS[controller] / domain.SETTINGS["domain_dns"] / "Policies"
    subprocess.run(["rm", "-rf", str(target / source.name)], check=True)
    subprocess.run(["cp", "-a", "--preserve=all", str(source), str(target)], check=True)


def replicate_domain_partition(destination, source):
    samba_tool("drs", "replicate", destination, source, domain.BASE_DN)


def move_pdc_role(to, previous):
    """The role moves, and DNS names its new holder, as the controller's DNS update would. A
    controller just started answers LDAP a moment before it can take a role."""
    for _ in range(10):
        transfer = in_domain(["samba-tool", "fsmo", "transfer", "--role=pdc", "-H", "ldap://" + to,
                              "--use-kerberos=required"], capture_output=True)
        if transfer.returncode == 0:
            break
        time.sleep(3)
    else:
        raise RuntimeError("the PDC emulator role did not move to %s: %s"
                           % (to, transfer.stderr.decode(errors="replace")))
    zone = "_msdcs." + domain.SETTINGS["domain_dns"]
    samba_tool("dns", "update", DC1, zone, "_ldap._tcp.pdc", "SRV", "%s 389 0 100" % previous,
               "%s 389 0 100" % to)


@contextmanager
def pdc_role_on_second_controller():
    move_pdc_role(DC2, DC1)
    try:
        yield
    finally:
        start_second_controller()  # again, when the check stopped it
        move_pdc_role(DC1, DC2)


def process_tree(pid):
    """pid and every process it started, and they started."""
    parents = {}
    for stat in Path("/proc").glob("[0-9]*/stat"):
        try:
            fields = stat.read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue  # ended meanwhile
        parents.setdefault(int(fields[1]), []).append(int(stat.parent.name))
    tree, pending = [], [pid]
    while pending:
        tree.append(pending.pop())
        pending.extend(parents.get(tree[-1], []))
    return tree


def stop_second_controller():
    """Ends dc2's samba, which ends its smbd and winbindd, and waits until none of them runs, so
    that a new start finds its addresses free."""
    pid = int(Path(domain.SETTINGS["domain_dc2_pid_file"]).read_text())
    tree = process_tree(pid)
    subprocess.run(["kill", "-TERM", str(pid)], check=True)
    while any(Path("/proc/%d" % each).exists() for each in tree):
        time.sleep(0.1)


@check(setups=JOINED)
def imports_land_on_the_pdc_emulator(ctx):
    start_second_controller()
    policy = ctx.policy("pdc emulator")
    copy_sysvol_to(DC2, policy)
    first = fragment_adding(ctx, FIRST_ENTRY)
    ctx.import_and_expect(policy.name, first, ["/machine"], progress(policy.name, first), 0)
    expect_equal((copy_on(DC1, policy), copy_on(DC2, policy, files_only=True),
                  controller_that_wrote_the_version(policy, DC1)),
                 (ControllerCopy([FIRST_ENTRY], 1, 1), ControllerCopy(None, 0), DC1),
                 "the policy on each controller after an import with dc1 the PDC emulator")

    # The copy and the replication that follow an edit, then the role moves to dc2.
    copy_sysvol_to(DC2, policy)
    replicate_domain_partition(DC2, DC1)
    added = fragment_adding(ctx, ADDED_ENTRY)
    with pdc_role_on_second_controller():
        ctx.import_and_expect(policy.name, added, ["/machine"], progress(policy.name, added), 0)
        on_dc1 = ControllerCopy([FIRST_ENTRY], 1)
        expect_equal((copy_on(DC1, policy, files_only=True), copy_on(DC2, policy),
                      controller_that_wrote_the_version(policy, DC2)),
                     (on_dc1, ControllerCopy([FIRST_ENTRY, ADDED_ENTRY], 2, 2), DC2),
                     "the policy on each controller after an import with dc2 the PDC emulator")

        replicate_domain_partition(DC1, DC2)
        before = (copy_on(DC1, policy), copy_on(DC2, policy, files_only=True))
        stop_second_controller()
        refused = fragment_adding(ctx, REPAIR_ENTRY)
        result = ctx.run(machine_import(policy, refused))
        expect_failed_run(result, policy, refused, 0x8007203A)  # ERROR_DS_SERVER_DOWN
        expect_equal((copy_on(DC1, policy), copy_on(DC2, policy, files_only=True)), before,
                     "the policy on each controller after a run with the PDC emulator stopped")


@check(setups=JOINED)
def local_switch_on_the_other_controller(ctx):
    """"/local" run on the controller that does not hold the role still writes there."""
    start_second_controller()
    policy = ctx.policy("local on dc2")
    copy_sysvol_to(DC2, policy)
    replicate_domain_partition(DC2, DC1)  # dc2 knows the policy only from dc1
    source = fragment_adding(ctx, FIRST_ENTRY)
    ctx.import_and_expect(policy.name, source, ["/machine", "/local"],
                          progress(policy.name, source), 0, hostname=DC2.split(".")[0])
    expect_equal((copy_on(DC1, policy, files_only=True), copy_on(DC2, policy),
                  controller_that_wrote_the_version(policy, DC2)),
                 (ControllerCopy(None, 0), ControllerCopy([FIRST_ENTRY], 1, 1), DC2),
                 "the policy on each controller after an import with /local on dc2")
