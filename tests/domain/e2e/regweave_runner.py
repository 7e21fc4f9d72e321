"""Runs the built regweave inside the throwaway domain, optionally under a memory checker, and
collects what it printed, its exit status and anything the checker found."""

import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path

from domain import in_domain

HERE = Path(__file__).resolve().parent
VALGRIND_SUPPRESSIONS = HERE / "valgrind.supp"
LEAK_SUPPRESSIONS = HERE / "lsan.supp"


@dataclass
class RunResult:
    stdout: bytes
    stderr: bytes
    status: int
    memory_report: str  # what the memory checker reported; empty when it found nothing


class Regweave:
    """checker: None, "valgrind" or "asan" (a program built with -DREGWEAVE_SANITIZE=ON)."""

    def __init__(self, program, checker, log_dir):
        self.program = str(Path(program).resolve())
        self.checker = checker
        self.log_dir = Path(log_dir)
        self.log_dir.mkdir(parents=True, exist_ok=True)

    def run(self, args, cwd=None, who="admin", hostname=None, env=None, program=None):
        """Runs regweave with args. program replaces the path the program is started by (argument
        0); hostname runs it in a private UTS namespace with that host name."""
        command = self._checked([program or self.program] + list(args))
        if hostname is not None:
            command = ["unshare", "--uts", "sh", "-c", 'hostname "$0" && exec "$@"',
                       hostname] + command
        before = set(self.log_dir.iterdir())
        result = in_domain(command, who=who, cwd=cwd, env=self._environment(env),
                           capture_output=True, stdin=subprocess.DEVNULL)
        return RunResult(result.stdout, result.stderr, result.returncode,
                         self._new_reports(before))

    def _checked(self, command):
        if self.checker != "valgrind":
            return command
        # "Possibly lost" is left out: Samba's libraries keep their process-wide state in talloc
        # pools that are reached only through pointers into their middle.
        return ["valgrind", "--quiet", "--child-silent-after-fork=yes", "--leak-check=full",
                "--show-leak-kinds=definite,indirect",
                "--errors-for-leak-kinds=definite,indirect",
                "--suppressions=%s" % VALGRIND_SUPPRESSIONS,
                "--log-file=%s/valgrind.%%p" % self.log_dir] + command

    def _environment(self, extra):
        environment = dict(os.environ)
        environment.setdefault("LC_ALL", "C.UTF-8")
        if self.checker == "asan":
            # Full stacks: the libraries have no frame pointers, and suppressions match by frame.
            environment["ASAN_OPTIONS"] = (
                "detect_leaks=1:fast_unwind_on_malloc=0:log_path=%s/asan" % self.log_dir)
            environment["LSAN_OPTIONS"] = "suppressions=%s:print_suppressions=0" % LEAK_SUPPRESSIONS
            environment["UBSAN_OPTIONS"] = (
                "print_stacktrace=1:halt_on_error=1:log_path=%s/ubsan" % self.log_dir)
        environment.update(extra or {})
        return environment

    def _new_reports(self, before):
        reports = []
        for path in sorted(set(self.log_dir.iterdir()) - before):
            text = path.read_text(errors="replace").strip()
            if text:
                reports.append("%s:\n%s" % (path.name, text))
        return "\n".join(reports)

    def installed_copy(self, folder):
        """The program as if installed in folder (a symbolic link there), for the rules that
        complete the fragment's path from the program's own path."""
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        link = folder / "regweave"
        if not link.exists():
            link.symlink_to(self.program)
        return link


def require_program(path, checker):
    if not Path(path).is_file() or not os.access(path, os.X_OK):
        raise SystemExit("no regweave program at %s; build it first (scripts/build)" % path)
    if checker == "valgrind" and shutil.which("valgrind") is None:
        raise SystemExit("valgrind is not installed")
