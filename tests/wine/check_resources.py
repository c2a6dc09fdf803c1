"""Reads the manifest and the icon back out of the built saver and installer,
and how the saver is hardened.

Scaling cannot be shown under Wine (it does not shrink the desktop of a program
unaware of scaling), so what Windows would read is checked here instead.
Usage: python3 check_resources.py SAVER.scr SETUP.exe (needs python3-pefile).
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
WINDOWS_7_TO_11 = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, RELOCS_STRIPPED = 0x0040, 0x0020, 0x0100, 0x0001
# Windows' own DLLs: whatever else the saver imported would not be there.
WINDOWS_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dinput8.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "setupapi.dll", "shell32.dll",
    "user32.dll", "version.dll", "winmm.dll", "winspool.drv", "ws2_32.dll",
}


def resources(path):
    """{type: {id: bytes}} of the first language of every resource."""
    pe = pefile.PE(path)
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            data = entry.directory.entries[0].data.struct
            found.setdefault(kind.id, {})[entry.id or str(entry.name)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def local(tag):
    return tag.rsplit("}", 1)[-1]


def manifest_facts(found):
    """What the manifest of id 1 says about scaling, controls, systems and rights."""
    text = found.get(RT_MANIFEST, {}).get(1)
    if text is None:
        return None
    root = ElementTree.fromstring(text)
    facts = {"dpiAware": None, "dpiAwareness": None, "controls": None, "supportedOS": set(), "level": None}
    for node in root.iter():
        name = local(node.tag)
        if name in ("dpiAware", "dpiAwareness"):
            facts[name] = (node.text or "").strip().lower()
        elif name == "assemblyIdentity" and node.get("name") == "Microsoft.Windows.Common-Controls":
            facts["controls"] = node.get("version")
        elif name == "supportedOS":
            facts["supportedOS"].add(node.get("Id").lower())
        elif name == "requestedExecutionLevel":
            facts["level"] = node.get("level")
    return facts


def icon_sizes(found):
    """The sizes of the first icon group, each checked to point at an icon image."""
    groups = found.get(RT_GROUP_ICON, {})
    if not groups:
        return set()
    group = groups[sorted(groups, key=str)[0]]
    _, kind, count = struct.unpack_from("<HHH", group)
    sizes = set()
    for i in range(count if kind == 1 else 0):
        width, height, _, _, _, _, _, image = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        if image in found.get(RT_ICON, {}):
            sizes.add((width or 256, height or 256))
    return sizes


def hardening_facts(path):
    """Address layout and no-execute flags, relocations, libssp and foreign imports."""
    pe = pefile.PE(path)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    with open(path, "rb") as file:
        data = file.read()
    imported = {entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    return {
        "DYNAMIC_BASE": bool(flags & DYNAMIC_BASE),
        "HIGH_ENTROPY_VA": bool(flags & HIGH_ENTROPY_VA),
        "NX_COMPAT": bool(flags & NX_COMPAT),
        "relocations": not pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED
        and bool(getattr(pe, "DIRECTORY_ENTRY_BASERELOC", None)),
        # libssp's report, there only when its stack guard is linked in.
        "stack protector": b"*** stack smashing detected ***" in data,
        "imports outside Windows": sorted(imported - WINDOWS_DLLS),
    }


def main(saver, installer):
    failures = []

    def expect(what, actual, wanted):
        if actual != wanted:
            failures.append(f"{what}: {actual!r}, wanted {wanted!r}")

    # Both files carry our icon in every size Windows asks for.
    for path in (saver, installer):
        expect(f"{path} icon sizes", icon_sizes(resources(path)), {(16, 16), (32, 32), (48, 48), (256, 256)})

    facts = manifest_facts(resources(saver))
    if facts is None:
        failures.append(f"{saver} has no manifest of id 1")
    else:
        for what, wanted in (("dpiAwareness", "permonitorv2, permonitor"), ("dpiAware", "true/pm"),
                             ("controls", "6.0.0.0"), ("supportedOS", WINDOWS_7_TO_11), ("level", "asInvoker")):
            expect(f"saver {what}", facts[what], wanted)

    facts = hardening_facts(saver)
    for what in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT", "relocations", "stack protector"):
        expect(f"saver {what}", facts[what], True)
    expect("saver imports outside Windows", facts["imports outside Windows"], [])

    facts = manifest_facts(resources(installer))
    if facts is None:
        failures.append(f"{installer} has no manifest of id 1")
    else:
        expect("installer dpiAware", facts["dpiAware"], "true")
        if not WINDOWS_7_TO_11 <= facts["supportedOS"]:
            failures.append(f"installer supportedOS lacks {WINDOWS_7_TO_11 - facts['supportedOS']}")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
