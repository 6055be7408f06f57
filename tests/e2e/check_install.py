#!/usr/bin/env python3
"""Checks an installation made by setup.exe against the payload its distribution was built from.

The installed tree must hold exactly the payload's files for the variant (byte for byte; names
without regard to letter case), the variant's readme, and the reference copies in the Etalon
folders, and beside them the uninstaller "Uninstall.exe" and its record "Uninstall.lst" naming every
installed file; Cfg.tlx is the shipped file's first 1407 bytes with the settings window's defaults. With
--desktop, the desktop holds one shortcut to the installed tlx.exe; with --log and --setup, the log
has a stamped line for every step, every volume of the distribution and every file written.
Exits non-zero naming each difference.
"""
import argparse
import os
import re
import struct
import sys

STAMP = re.compile(r'^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (step|volume|file|message|error): (.+)$')


def reference_copies(variant_files):
    """Etalon copies (target -> source) for the languages' databases, user files and Rus config files."""
    copies = {}
    for lang, letter, user in (('ukr', 'u', 'userukr.nsi'), ('rus', 'r', 'userrus.nsi')):
        names = ['%d.bs%s' % (n, letter) for n in range(1, 6)]
        names += ['%d.b%s%s' % (n, kind, letter) for kind in 'rmg' for n in range(1, 4)]
        for name in names:
            copies['%s/etalon/%s' % (lang, name)] = '%s/lbn/%s' % (lang, name)
        copies['%s/etalon/%s' % (lang, user)] = '%s/usernsi/%s' % (lang, user)
    for name in ('cfg.tlx', 'klsstd.tlx', 'klsuse.tlx'):
        copies['rus/etalon/' + name] = 'cfg/' + name
    return {t: variant_files[s] for t, s in copies.items() if s in variant_files}


def files_below(root):
    """Lower-cased relative path ('/' between parts) -> full path."""
    found = {}
    for base, _, names in os.walk(root):
        for name in names:
            path = os.path.join(base, name)
            found[os.path.relpath(path, root).replace(os.sep, '/').lower()] = path
    return found


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def expected_tree(payload, variant):
    payload_files = files_below(payload)
    expected = {}
    for rel, path in payload_files.items():
        if rel == 'tlxpack.toml' or rel.startswith('doc/readme.'):
            continue
        if variant == 0 and (rel == 'doc/components3.txt' or '/lpd/' in rel):
            continue
        expected[rel] = path
    expected['doc/readme.txt'] = payload_files['doc/readme.%s.txt' % ('three' if variant else 'two')]
    expected.update(reference_copies(expected))
    return expected


def check_cfg(cfg, shipped, variant, problems):
    dword = lambda data, at: struct.unpack_from('<I', data, at)[0]
    checks = {
        'size 1407': len(cfg) == 1407,
        'option bits: shipped ones kept, the defaults 0x00040800 set':
            len(cfg) >= 4 and dword(cfg, 0) == (dword(shipped, 0) & ~0x22770940) | 0x00040800,
        'autosave 600000 ms': dword(cfg, 24) == 600000,
        'installation kind %d' % variant: cfg[116] == variant,
        'scale index 2': dword(cfg, 159) == 2,
        'value 31 at 197': dword(cfg, 197) == 31,
        'bytes 5 0 0 0 at 250': cfg[250:254] == b'\x05\x00\x00\x00',
        'languages as shipped': cfg[22:24] == shipped[22:24],
        'version text as shipped': cfg[36:50] == shipped[36:50],
        'text area kept': cfg[1375:1407] == shipped[1375:1407],
    }
    problems += ['Cfg.tlx: ' + name for name, ok in checks.items() if not ok]


def check_log(log, install_dir, installed, setup, problems):
    text = read(log).decode('utf-8')
    steps, volumes, files = [], set(), {}
    prefix = install_dir.lower() + '\\'
    for line in text.splitlines():
        match = STAMP.match(line)
        if not match:
            problems.append('log line without stamp or kind: %r' % line)
            continue
        kind, rest = match.groups()
        if kind == 'step':
            steps.append(rest)
        elif kind == 'volume':
            volumes.add(rest.split('\\')[-1].lower())
        elif kind == 'file':
            written = re.match(r'^(.+) \((\d+) bytes\)$', rest)
            if not written or not written.group(1).lower().startswith(prefix):
                problems.append('log: file line outside %s: %r' % (install_dir, line))
                continue
            files[written.group(1)[len(prefix):].replace('\\', '/').lower()] = int(written.group(2))
        else:
            problems.append('log: unexpected line %r' % line)
    if not steps or steps[-1] != 'installed into ' + install_dir:
        problems.append('log: does not end with "installed into %s"' % install_dir)
    for name in os.listdir(setup):
        if name.lower().startswith('tlxstp5_320.') and name.lower() not in volumes:
            problems.append('log: volume %s not listed' % name)
    for rel, path in installed.items():
        if rel == 'cfg/cfg.tlx':
            continue  # logged when extracted, rewritten by the settings step
        if files.get(rel) != os.path.getsize(path):
            problems.append('log: %s logged as %s, %d bytes on disk' % (rel, files.get(rel), os.path.getsize(path)))
    if set(files) != set(installed):
        problems.append('log: files logged but not installed: %s' % sorted(set(files) - set(installed)))


def check_uninstaller(installed, problems):
    """Takes the uninstaller and its record out of `installed`; the record lists every other file."""
    program = installed.pop('uninstall.exe', None)
    record = installed.pop('uninstall.lst', None)
    if program is None or os.path.getsize(program) == 0:
        problems.append('no uninstaller Uninstall.exe')
    if record is None:
        problems.append('no installation record Uninstall.lst')
        return
    text = read(record).decode('utf-8')
    listed = text.split('[Files]\r\n', 1)[-1].split('\r\n')
    listed = {line.replace('\\', '/').lower() for line in listed if line}
    if listed != set(installed):
        problems.append('Uninstall.lst: files not listed %s, listed but not installed %s' %
                        (sorted(set(installed) - listed), sorted(listed - set(installed))))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('payload')
    parser.add_argument('installed', help='the installation folder (native path)')
    parser.add_argument('--variant', type=int, default=1)
    parser.add_argument('--desktop', help='the desktop folder (native path)')
    parser.add_argument('--install-dir', default='c:\\tlx5_320', help='the folder as setup.exe was given it')
    parser.add_argument('--log', help='the log of the run (native path)')
    parser.add_argument('--setup', help='the distribution\'s Setup folder (native path)')
    args = parser.parse_args()

    problems = []
    expected = expected_tree(args.payload, args.variant)
    installed = files_below(args.installed)
    check_uninstaller(installed, problems)
    for rel in sorted(set(expected) - set(installed)):
        problems.append('not installed: ' + rel)
    for rel in sorted(set(installed) - set(expected)):
        problems.append('installed too: ' + rel)
    for rel in sorted(set(expected) & set(installed)):
        if rel != 'cfg/cfg.tlx' and read(expected[rel]) != read(installed[rel]):
            problems.append('differs from the payload: ' + rel)
    if 'cfg/cfg.tlx' in installed:
        check_cfg(read(installed['cfg/cfg.tlx']), read(expected['cfg/cfg.tlx']), args.variant, problems)

    if args.desktop:
        links = [n for n in os.listdir(args.desktop) if n.lower().endswith('.lnk')]
        target = (args.install_dir + '\\exe\\tlx.exe').lower().encode('cp1251')
        if len(links) != 1:
            problems.append('desktop shortcuts: %r' % links)
        elif target not in read(os.path.join(args.desktop, links[0])).lower():
            problems.append('the shortcut %s does not start %s' % (links[0], target.decode('cp1251')))
    if args.log:
        check_log(args.log, args.install_dir, installed, args.setup, problems)

    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print('%d files, Cfg.tlx%s%s checked' % (len(installed), ', shortcut' if args.desktop else '',
                                             ', log' if args.log else ''))
    return 0


if __name__ == '__main__':
    sys.exit(main())
