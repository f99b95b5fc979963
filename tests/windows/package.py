#!/usr/bin/python3
"""The Windows downloads (packaging/windows): the installers' tables; under
64-bit wine, in the wine session (wine.py), install, upgrade and
removal, and the zip's program. A LIST is a build's windows-package.txt.

    package.py tables VERSION LIST_X64 NEWER_MSI LIST_X86
    package.py install SESSION LIST REMOTE_EXE
    package.py upgrade SESSION LIST REBUILT_MSI NEWER_MSI
    package.py zip SESSION LIST OBJDUMP REMOTE_EXE

Exit status 77 (skipped) when a LIST is missing, or, after all other checks,
when the program cannot run here (32-bit x86 on this machine)."""

import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.dont_write_bytecode = True
here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(os.path.dirname(here), "e2e")]

import wine  # noqa: E402
from e2e import WineComsend  # noqa: E402
from processes import Failure, check  # noqa: E402

UNINSTALL_KEYS = (r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall")


class Skip(Exception):
    pass


def packages(listing):
    """The zip and the installer a build made."""
    if not os.path.exists(listing):
        raise Skip(f"{listing} is missing: scripts/package-windows makes both architectures' packages")
    with open(listing) as f:
        files = f.read().split()
    return [next(p for p in files if p.endswith(kind)) for kind in (".zip", ".msi")]


def msiinfo(*args):
    return subprocess.run(["msiinfo", *args], capture_output=True, text=True, check=True).stdout


def table(msi, name):
    lines = msiinfo("export", msi, name).splitlines()
    return [dict(zip(lines[0].split("\t"), line.split("\t"))) for line in lines[3:]]


def properties(msi):
    return {row["Property"]: row["Value"] for row in table(msi, "Property")}


def platform(msi):
    return re.search(r"^Template: ([^;]*);", msiinfo("suminfo", msi), re.M)[1]


def check_tables(msi, version):
    """The program, with a Start menu shortcut bearing the icon, the icon in
    Apps & features, the upgrade code's rows; no registry, no other action."""
    template, props = platform(msi), properties(msi)
    check(template in ("x64", "Intel") and props.get("ProductVersion") == version and props.get("Manufacturer"),
          f"{msi}: platform {template}, version {props.get('ProductVersion')}")
    files, icons, shortcuts = table(msi, "File"), [i["Name"] for i in table(msi, "Icon")], table(msi, "Shortcut")
    check([f["FileName"] for f in files] == ["comsend.exe"], f"{msi}: files {files}")
    component = next(c for c in table(msi, "Component") if c["Component"] == files[0]["Component_"])
    check(bool(int(component["Attributes"]) & 256) == (template == "x64"), f"{msi}: component {component}")
    check(len(shortcuts) == 1 and shortcuts[0]["Directory_"] == "ProgramMenuFolder"
          and shortcuts[0]["Target"] == f"[#{files[0]['File']}]" and shortcuts[0]["Icon_"] in icons
          and props.get("ARPPRODUCTICON") in icons, f"{msi}: shortcuts {shortcuts}, icons {icons}")
    check(all(row["UpgradeCode"] == props["UpgradeCode"] for row in table(msi, "Upgrade")), f"{msi}: upgrade")
    present = msiinfo("tables", msi).split()
    for name in ("Registry", "RemoveFile", "CreateFolder", "CustomAction", "ServiceInstall", "Environment"):
        rows = table(msi, name) if name in present else []
        check(not rows, f"{msi}: installs more: {name} {rows}")
    return props["UpgradeCode"]


def tables(version, list_x64, newer, list_x86):
    x64 = check_tables(packages(list_x64)[1], version)
    check(properties(newer)["UpgradeCode"] == x64, "a newer version has another upgrade code")
    check(check_tables(packages(list_x86)[1], version) != x64, "both architectures have one upgrade code")


class Machine:
    """The wine prefix as a Windows machine that packages go into."""

    def __init__(self, session, workdir):
        self.session, self.workdir = session, workdir
        self.env = session.env()
        # Otherwise wine copies every new Start menu shortcut into the Linux
        # desktop's menus, in the home folder of whoever runs the tests.
        self.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"

    def run(self, *args):
        out = os.path.join(self.workdir, "wine.out")
        with open(out, "wb") as f:
            code = subprocess.run([wine.WINE64, *args], env=self.env, stdin=subprocess.DEVNULL, stdout=f,
                                  stderr=subprocess.STDOUT, timeout=wine.TIMEOUT).returncode
        with open(out, "rb") as f:
            return code, f.read().decode(errors="replace")

    def msiexec(self, action, msi):
        """Quietly; checks the exit status. Where the program and the Start
        menu shortcut go, by the installer's own log of its folders."""
        log = os.path.join(self.workdir, "msiexec.log")
        code, _ = self.run("msiexec", action, msi, "/qn", "/l*v", log)
        check(code == 0, f"msiexec {action} {msi} ended with {code}")
        with open(log, "rb") as f:
            menu = re.search(rb"Property\(S\): ProgramMenuFolder = C:(.*?)\r?$", f.read(), re.M)[1].decode()
        folder = "Program Files" if platform(msi) == "x64" else "Program Files (x86)"
        drive = os.path.join(self.session.prefix, "drive_c")
        return (os.path.join(drive, folder, "comsend", "comsend.exe"),
                os.path.join(drive, *menu.split("\\"), "comsend.lnk"))

    def entries(self):
        """Apps & features' entries of comsend: {key: {value: data}}."""
        found = {}
        for root in UNINSTALL_KEYS:
            key = root
            for line in self.run("reg", "query", root, "/s")[1].splitlines():
                key = line.strip() if line.startswith("HKEY_") else key
                value = re.match(r" {4}(\S+) {4}REG_\w+(?: {4}(.*))?$", line.rstrip("\r"))
                if value:
                    found.setdefault(key, {})[value[1]] = value[2] or ""
        return {key: values for key, values in found.items() if values.get("DisplayName") == "comsend"}

    def remove_all(self):
        for key in self.entries():
            self.run("msiexec", "/x", key.rsplit("\\", 1)[1], "/qn")


def install(machine, listing, remote_exe):
    msi = packages(listing)[1]
    machine.remove_all()
    exe, shortcut = machine.msiexec("/i", msi)
    entries = machine.entries()
    check(os.path.isfile(exe) and os.path.isfile(shortcut) and len(entries) == 1,
          f"after the install: {exe}, {shortcut}, {entries}")
    target = "C:\\" + os.path.relpath(exe, os.path.join(machine.session.prefix, "drive_c")).replace("/", "\\")
    with open(shortcut, "rb") as f:
        check(target.encode() + b"\0" in f.read(), f"the shortcut does not lead to {target}")
    reason = wine.not_runnable(exe)
    if not reason:
        app = WineComsend(machine.session, exe, remote_exe, machine.workdir, "C.UTF-8")
        check(app.close() == 0, "the installed comsend.exe did not end cleanly")
    machine.msiexec("/x", msi)
    leftovers = [p for p in (exe, os.path.dirname(exe), shortcut) if os.path.exists(p)]
    check(not leftovers and not machine.entries(), f"after the removal: {leftovers}, {machine.entries()}")
    if reason:
        raise Skip(f"installed and removed, but comsend.exe not started: {reason}")


def upgrade(machine, listing, rebuilt, newer):
    msi = packages(listing)[1]
    machine.remove_all()
    for what, package in [("the package", msi), ("the same package again", msi),
                          ("a rebuild of the same version", rebuilt), ("a newer version", newer)]:
        exe, _ = machine.msiexec("/i", package)
        versions = [entry.get("DisplayVersion") for entry in machine.entries().values()]
        check(os.path.isfile(exe) and versions == [properties(package)["ProductVersion"]],
              f"after installing {what}: Apps & features lists {versions}")
    check(machine.run("msiexec", "/i", msi, "/qn")[0] != 0, "the older version went in over the newer one")
    exe, shortcut = machine.msiexec("/x", newer)
    check(not os.path.exists(exe) and not os.path.exists(shortcut) and not machine.entries(), "after the removal")


def portable_zip(machine, listing, objdump, remote_exe):
    with tempfile.TemporaryDirectory(prefix="comsend-zip-") as unpacked:
        archive_path = packages(listing)[0]
        with zipfile.ZipFile(archive_path) as archive:
            archive.extractall(unpacked)
        (top,) = os.listdir(unpacked)
        folder = os.path.join(unpacked, top)
        check(sorted(os.listdir(folder)) == ["LICENSE.txt", "README.txt", "comsend.exe"], f"the zip holds {top}")
        for name in ("LICENSE.txt", "README.txt"):
            with open(os.path.join(folder, name), "rb") as f:
                text = f.read()
            check(text.count(b"\n") > 1 and text.count(b"\r\n") == text.count(b"\n"), f"{name}: not CRLF")
        exe = os.path.join(folder, "comsend.exe")
        with open(exe, "rb") as f:
            header = f.read(4096)
        (symbols,) = struct.unpack_from("<12xI", header, struct.unpack_from("<I", header, 0x3C)[0] + 4)
        check(symbols == 0, f"comsend.exe is not stripped: {symbols} symbols")
        pe_format = "pei-x86-64" if archive_path.endswith("-win64.zip") else "pei-i386"
        subprocess.run([os.path.join(here, "check-exe.sh"), objdump, exe, pe_format], check=True)
        reason = wine.not_runnable(exe)
        if reason:
            raise Skip(f"the zip's comsend.exe not started: {reason}")
        os.chdir(folder)  # as a double-click starts it
        try:
            app = WineComsend(machine.session, exe, remote_exe, machine.workdir, "C.UTF-8")
            check(app.close() == 0, "the zip's comsend.exe did not end cleanly")
        finally:
            os.chdir(here)
        check(sorted(os.listdir(folder)) == ["LICENSE.txt", "README.txt", "comsend.exe"],
              f"comsend.exe wrote next to itself: {os.listdir(folder)}")


def main(action, *args):
    try:
        if action == "tables":
            tables(*args)
        else:
            session = wine.Session(args[0])
            with tempfile.TemporaryDirectory(prefix="comsend-package-") as workdir:
                try:
                    {"install": install, "upgrade": upgrade, "zip": portable_zip}[action](
                        Machine(session, workdir), *args[1:])
                finally:
                    session.kill_programs()
    except Skip as skip:
        print(f"skipped: {skip}")
        return 77
    except Failure as failure:
        print(f"FAIL: {action}: {failure}")
        return 1
    print(f"PASS: {action}")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
