"""End-to-end checks of imports that run at the same time: several regweave runs into one
policy must leave every run's settings in it, or fail plainly without changing anything."""

from concurrent.futures import ThreadPoolExecutor

from domain import REGISTRY_EXTENSION_PAIR, policy_state
from suite import check, expect_equal, progress

RUNS = 8
SHARED_KEY = r"Software\Policies\Regweave\Concurrent"


def run_fragment(number):
    """Run number's fragment and the entries it adds: a value of its own beside the others' in
    one shared key, and for every other run a key of its own as well."""
    lines = ["Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\%s]" % SHARED_KEY,
             '"Run%d"="written by run %d"' % (number, number), ""]
    entries = [(SHARED_KEY, "Run%d" % number, 1, "written by run %d" % number)]
    if number % 2:
        own_key = "%s\\Run%d" % (SHARED_KEY, number)
        lines += ["[HKEY_LOCAL_MACHINE\\%s]" % own_key, '"Number"=dword:%08x' % number, ""]
        entries.append((own_key, "Number", 4, number))
    return "\n".join(lines), entries


@check
def eight_imports_into_one_policy_at_once(ctx):
    """Each run waits while another holds the policy, so all of them save, every one's settings
    end up beside the others', and the version rises once per run, in GPT.INI and the directory
    alike. (A run that waited too long would fail with 0x80070020 and change nothing.)"""
    policy = ctx.policy("eight at once")
    runs = []
    for number in range(RUNS):
        text, entries = run_fragment(number)
        runs.append((ctx.fragment("concurrent-%d.reg" % number, text), entries))

    def start(run):
        source, _ = run
        return ctx.run([policy.name, str(source), "/abs", "/machine"])

    with ThreadPoolExecutor(max_workers=RUNS) as pool:
        results = list(pool.map(start, runs))

    expected_entries = []
    for (source, entries), result in zip(runs, results):
        expect_equal((result.stdout.decode(errors="replace"), result.status),
                     (progress(policy.name, source), 0),
                     "run of %s (each waits for the one before it)" % source.name)
        expected_entries += entries
    state = policy_state(policy)
    expect_equal(sorted(state.machine or []), sorted(expected_entries), "machine entries")
    expect_equal((state.machine_version, state.user_version), (RUNS, 0), "half versions")
    expect_equal(state.gpt_version, state.version_number, "GPT.INI Version against versionNumber")
    expect_equal(state.machine_extensions, REGISTRY_EXTENSION_PAIR, "machine extension names")
