"""End-to-end checks that only the domain set up as real ones are can show (tests/domain/settings,
setup "joined"): its client files name no server, so every serverless run locates the controller
from DNS, passing over a recorded controller that does not answer; a realm DNS names no
controller for; a name of the controller that no service principal has; and LDAPS, which the hardened controller refuses for Kerberos until it
is allowed."""

import re
import subprocess
from contextlib import contextmanager
from pathlib import Path

import domain
from domain import policy_state
from faults import ADDED_ENTRY, KILL_CONTROLLER, expect_failed_run, fragment_adding, machine_import
from suite import (check, exit_status, expect_equal, expect_saved, expect_unchanged, failure_line,
                   import_first_settings, progress)

JOINED = ("joined",)
NO_PDC_EMULATOR = "Unable to locate the PDC emulator, using global AD\n"
LDAPS = {"LDAPURI": "ldaps://" + domain.DC}
TRUSTING_THE_CONTROLLERS_CA = dict(LDAPS, LDAPTLS_CACERT=domain.SETTINGS["domain_tls_ca"])


@check(setups=JOINED)
def controller_name_without_a_service_principal(ctx):
    """/local on a host whose name is another DNS name of the controller: the KDC knows no
    ldap/ service of that name, which must not read as a missing ticket."""
    policy = ctx.policy("alias")
    before = policy_state(policy)
    source = fragment_adding(ctx, ADDED_ENTRY)
    alias = domain.SETTINGS["domain_alias"].split(".")[0]
    result = ctx.run(machine_import(policy, source) + ["/local"], hostname=alias)
    expect_failed_run(result, policy, source, 0x80090303)  # SEC_E_TARGET_UNKNOWN
    expect_unchanged(policy, before, "a run that named a server the KDC does not know")


@check(setups=JOINED)
def realm_without_controller_records(ctx):
    """A realm for which DNS names no controller, nor a PDC emulator: here the configured default
    realm, which a SASL mechanism that needs no ticket goes by. The run says it falls back to
    any controller, and finds none."""
    elsewhere = ctx.scratch / "krb5-elsewhere.conf"
    elsewhere.write_text("[libdefaults]\n  default_realm = ELSEWHERE.TEST\n")
    nowhere = domain.Policy("%s nowhere" % ctx.tag, "")
    source = fragment_adding(ctx, ADDED_ENTRY)
    result = ctx.run(machine_import(nowhere, source), who="none",
                     env={"KRB5_CONFIG": str(elsewhere), "LDAPSASL_MECH": "EXTERNAL"})
    hr = 0x8007054B  # ERROR_NO_SUCH_DOMAIN
    expect_equal((result.stdout.decode(errors="replace"), result.status),
                 (NO_PDC_EMULATOR + progress(nowhere.name, source) + failure_line(hr),
                  exit_status(hr)), "standard output and exit status")


def restart_controller(ctx, strong_auth):
    conf = Path(domain.SETTINGS["domain_server_conf"])
    conf.write_text(re.sub(r"(?m)^(\s*ldap server require strong auth = ).*$",
                           lambda line: line.group(1) + strong_auth, conf.read_text()))
    killer = ctx.scratch / "kill-controller"
    killer.write_text(KILL_CONTROLLER)
    subprocess.run(["bash", str(killer), str(domain.DOMAIN_DIR)], check=True)
    subprocess.run([str(domain.DOMAIN_DIR / "start"), "--restart"], check=True,
                   capture_output=True)


@contextmanager
def sasl_over_tls_allowed(ctx):
    """The controller restarted with Kerberos binds over LDAPS allowed, as Active Directory
    allows them, and hardened again on every way out."""
    restart_controller(ctx, "allow_sasl_over_tls")
    try:
        yield
    finally:
        restart_controller(ctx, "yes")


@check(setups=JOINED)
def ldaps_configured_in_the_client_files(ctx):
    policy = ctx.policy("ldaps")
    before = import_first_settings(ctx, policy)
    source = fragment_adding(ctx, ADDED_ENTRY)
    refusals = [
        # (LDAP client settings, HRESULT)
        (LDAPS, 0x80090325),  # SEC_E_UNTRUSTED_ROOT: no TLS_CACERT names its authority
        (TRUSTING_THE_CONTROLLERS_CA, 0x80072028),  # strong auth = yes: no SASL over TLS
    ]
    for settings, hr in refusals:
        result = ctx.run(machine_import(policy, source), env=settings)
        expect_failed_run(result, policy, source, hr)
    expect_unchanged(policy, before, "runs the controller refused over LDAPS")
    with sasl_over_tls_allowed(ctx):
        ctx.import_and_expect(policy.name, source, ["/machine"], progress(policy.name, source), 0,
                              env=TRUSTING_THE_CONTROLLERS_CA)
    expect_saved(policy_state(policy), "machine", before.machine + [ADDED_ENTRY], 2)

