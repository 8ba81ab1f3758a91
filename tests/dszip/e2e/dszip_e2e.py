#!/usr/bin/env python3
"""dszip.exe under Wine, judged by readers we did not write: 7zz, bsdtar, unzip and Python's
zipfile. One group of scenarios per run; related cases are rows of one table.

dszip_e2e.py GROUP --dszip EXE --rawrun EXE --program EXE --example DIR --work DIR
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile
from datetime import date, timedelta
from pathlib import Path

import set_archives

RUN_SECONDS = 120  # the longest any one program may take before the row fails

problems = []


def check(condition, what):
    if not condition:
        problems.append(what)
        print('  FAILED:', what)
    return condition


def win(path):
    """The Wine name of a Unix path (drive Z: is the Unix root)."""
    return 'Z:' + str(Path(path).absolute()).replace('/', '\\')


def run(command, **options):
    # Output goes to a file, not a pipe: Wine's server and helper processes inherit it and
    # may outlive the program by seconds.
    with tempfile.TemporaryFile() as output:
        result = subprocess.run([str(part) for part in command], stdin=subprocess.DEVNULL,
                                stdout=output, stderr=subprocess.STDOUT, timeout=RUN_SECONDS,
                                **options)
        output.seek(0)
        return result.returncode, output.read().decode('utf-8', 'replace')


def dszip(line, debug=None):
    """Runs dszip with exactly this command line (as a parameter template fills it); `debug`
    sets Wine's debug channels."""
    environment = dict(os.environ, RAWRUN_PROGRAM=win(args.dszip), RAWRUN_LINE=line,
                       RAWRUN_SECONDS=str(RUN_SECONDS - 10), WINEDEBUG=debug or os.environ.get('WINEDEBUG', ''))
    code, output = run(['wine', args.rawrun], env=environment)
    print(f'  dszip {line}\n    -> {code}')
    return code, output


def ok(command, what, **options):
    code, output = run(command, **options)
    return check(code == 0, f'{what}: exit code {code}\n{output[-600:]}')


def fails(command, what, **options):
    code, _ = run(command, **options)
    return check(code != 0, f'{what}: succeeded')


# --- trees ----------------------------------------------------------------------------------

WORDS = ('Sicherung Archiv Daten Bericht über Größe März Übersicht Straße Ölpreis und der die '
         'das mit für 2024 Zahl 17 Ergebnis Prüfung Kunde Rechnung Mwst. Summe').split()
LONG_FOLDER = 'Ein Ordner mit einem recht langen Namen Nr. '


def text(rng, size):
    words, length = [], 0
    while length < size:
        words.append(rng.choice(WORDS))
        length += len(words[-1]) + 1
    return ' '.join(words).encode()[:size]


def make_tree(root):
    """The tree every archive is judged on: the cases where readers and writers disagree."""
    rng = random.Random(9)
    files = {
        'null.bin': b'',
        'neunzehn.txt': b'neunzehn Zeichen..\n',
        'zwanzig.txt': b'zwanzig Zeichen lang',
        'zufall.bin': rng.randbytes(3 << 20),
        'text/bericht.txt': text(rng, 6 << 20),
        'Ärger über Öl/Straße.txt': 'Grüße aus Köln\n'.encode(),
        'Ελληνικά/Привет мир.txt': 'Καλημέρα, привет\n'.encode(),
        '日本語/テスト 😀.txt': 'こんにちは\n'.encode(),
        'Datei mit Blanks; Komma, #1 & (2).txt': b'Sonderzeichen\n',
        '.versteckt': b'hidden for Wine\n',
        '/'.join(LONG_FOLDER + str(n) for n in range(7)) + '/tief unten.txt': b'> 260\n',
    }
    assert len(next(name for name in files if name.startswith(LONG_FOLDER))) > 300
    for name, data in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    for name in ('leer', 'text/leer darin'):
        (root / name).mkdir(parents=True)


def snapshot(root):
    """Relative path -> None for a folder, (content hash, mtime in seconds) for a file.
    dszip.log is left out: it is the trace every run leaves on purpose."""
    result = {}
    for folder, folders, names in os.walk(root):
        base = Path(folder)
        for name in folders:
            result[str((base / name).relative_to(root))] = None
        for name in names:
            if name == 'dszip.log':
                continue
            path = base / name
            stat = path.stat()
            result[str(path.relative_to(root))] = (
                hashlib.sha256(path.read_bytes()).hexdigest(), stat.st_mtime_ns // 10**9)
    return result


def same_tree(source, extracted, reader, times):
    want, got = snapshot(source), snapshot(extracted)
    if not check(want.keys() == got.keys(),
                 f'{reader}: names differ: missing {sorted(want.keys() - got.keys())[:4]}, '
                 f'extra {sorted(got.keys() - want.keys())[:4]}'):
        return
    for name, entry in want.items():
        if entry is None or got[name] is None:
            check(entry == got[name], f'{reader}: {name} is a file on one side only')
            continue
        check(entry[0] == got[name][0], f'{reader}: {name} differs')
        # DOS time has two-second steps; the extended timestamp is exact.
        if times:
            check(abs(entry[1] - got[name][1]) <= 2, f'{reader}: {name} mtime {got[name][1]} != {entry[1]}')


def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def read_back(archive, source, password=None, readers=('7zz', 'bsdtar', 'unzip', 'zipfile')):
    """Lists, tests and extracts with each reader; every extraction must equal the source."""
    out = archive.parent / 'extracted'
    if '7zz' in readers:
        secret = [f'-p{password}'] if password else []
        ok(['7zz', 'l', '-slt', *secret, archive], '7zz l')
        ok(['7zz', 't', *secret, archive], '7zz t')
        if ok(['7zz', 'x', '-y', f'-o{fresh(out)}', *secret, archive], '7zz x'):
            same_tree(source, out, '7zz', times=True)
    if 'bsdtar' in readers:
        secret = ['--passphrase', password] if password else []
        ok(['bsdtar', '-tvf', archive, *secret], 'bsdtar -t')
        if ok(['bsdtar', '-xf', archive, '-C', fresh(out), *secret], 'bsdtar -x'):
            same_tree(source, out, 'bsdtar', times=True)
    if 'unzip' in readers and not password:
        ok(['unzip', '-l', archive], 'unzip -l')
        ok(['unzip', '-tq', archive], 'unzip -t')
        if ok(['unzip', '-q', archive, '-d', fresh(out)], 'unzip'):
            same_tree(source, out, 'unzip', times=True)
    if 'zipfile' in readers and not password:
        with zipfile.ZipFile(archive) as zip_file:
            check(zip_file.testzip() is None, 'zipfile: testzip found a bad entry')
            zip_file.extractall(fresh(out))
        same_tree(source, out, 'zipfile', times=False)
    shutil.rmtree(out, ignore_errors=True)


def stored_files(archive):
    with zipfile.ZipFile(archive) as zip_file:
        return {info.filename for info in zip_file.infolist() if not info.is_dir()}


def files_of(source, keep=lambda name: True):
    return {name for name, entry in snapshot(source).items() if entry is not None and keep(name)}


def under_own_name(folder):
    return {f'{folder.name}/{name}' for name in files_of(folder)}


# --- groups ---------------------------------------------------------------------------------

# Compression code -> (method, general-purpose bits 1-2) of a large compressible entry.
LEVELS = [('0', zipfile.ZIP_STORED, 0), ('s', zipfile.ZIP_DEFLATED, 6),
          ('f', zipfile.ZIP_DEFLATED, 4), ('n', zipfile.ZIP_DEFLATED, 0),
          ('x', zipfile.ZIP_DEFLATED, 2)]

# Switches and source forms -> the file names they must store, from the source tree. A folder
# goes in under its own name, a mask's matches below the mask's folder. Wine reports the
# archive attribute on every file, so -ao takes them all (empty folders are for full backups).
SOURCES = [  # name, switches, sources, names expected
    ('trailing quote', '-ai', '"{src}\\"', lambda source: under_own_name(source)),
    ('folder', '-ai', '"{src}"', lambda source: under_own_name(source)),
    ('mask *.txt', '-ai', '"{src}\\*.txt"', lambda source: files_of(source, lambda name: name.endswith('.txt'))),
    ('-r-', '-ai -r-', '"{src}\\*.*"', lambda source: files_of(source, lambda name: '/' not in name)),
    ('two sources', '-ai', '"{src}\\zufall.bin" "{src}\\text\\*.*"', lambda _: {'zufall.bin', 'bericht.txt'}),
    ('-ac -ao', '-ac -ao', '"{src}\\*.*"', lambda source: files_of(source) | {STATE_LIST}),  # and its state list
]


def group_readers(work):
    source = work / 'Quelle mit Blank'
    make_tree(source)
    for code, method, bits in LEVELS:
        print(f'level -m{code}')
        archive = fresh(work / f'm{code}') / '20240305-0.zip'
        exit_code, output = dszip(f'a -m{code} -ai "{win(archive)}" "{win(source)}\\*.*"')
        if not check(exit_code == 0, f'-m{code}: exit code {exit_code}\n{output}'):
            continue
        with zipfile.ZipFile(archive) as zip_file:
            big = zip_file.getinfo('text/bericht.txt')
            check((big.compress_type, big.flag_bits & 6) == (method, bits),
                  f'-m{code}: method {big.compress_type}, bits {big.flag_bits & 6}')
            check(zip_file.getinfo('.versteckt').external_attr & 0x02, 'hidden attribute not stored')
            check(all(info.flag_bits & 0x800 for info in zip_file.infolist()), 'UTF-8 flag missing')
        read_back(archive, source, readers=('7zz', 'bsdtar', 'unzip', 'zipfile') if code == 'n'
                  else ('7zz', 'zipfile'))
    for name, switches, sources, expected in SOURCES:
        print(f'source form: {name}')
        archive = fresh(work / 'forms') / 'x.zip'
        exit_code, output = dszip(f'a -mn {switches} "{win(archive)}" ' + sources.format(src=win(source)))
        if check(exit_code == 0, f'{name}: exit code {exit_code}\n{output}'):
            want, got = expected(source), stored_files(archive)
            check(got == want, f'{name}: missing {sorted(want - got)[:4]}, extra {sorted(got - want)[:4]}')
            ok(['7zz', 't', archive], f'{name}: 7zz t')


PASSWORDS = [  # as it stands on the command line, the password itself
    ('Geheim', 'Geheim'),
    ('"mit Blank"', 'mit Blank'),
    ('"a\\"b\\c"', 'a"b\\c'),
    ("!#$%&'()*+,-./:;<=>?@[]^_`{|}~", "!#$%&'()*+,-./:;<=>?@[]^_`{|}~"),
    ('Kennwort9' * 9, 'Kennwort9' * 9),  # longer than a block of HMAC-SHA1's key
]


def flip_byte(archive, name, copy):
    """A copy of the archive with one byte in the middle of an entry's ciphertext changed."""
    data = bytearray(archive.read_bytes())
    with zipfile.ZipFile(archive) as zip_file:
        info = zip_file.getinfo(name)
    header = info.header_offset
    start = header + 30 + int.from_bytes(data[header + 26:header + 28], 'little') \
        + int.from_bytes(data[header + 28:header + 30], 'little')
    # Salt (16) and password check (2) come first, the 10-byte MAC last.
    data[start + 18 + (info.compress_size - 28) // 2] ^= 0x01
    copy.write_bytes(data)
    return copy


def group_encryption(work):
    source = work / 'Quelle'
    make_tree(source)
    for written, password in PASSWORDS:
        print(f'password {password!r}')
        archive = fresh(work / 'archive') / 'geheim.zip'
        exit_code, output = dszip(f'a -hp{written} -mf -ai "{win(archive)}" "{win(source)}\\*.*"')
        if not check(exit_code == 0, f'{password!r}: exit code {exit_code}\n{output}'):
            continue
        with zipfile.ZipFile(archive) as zip_file:
            # ZIP cannot hide names: every reader lists them without the password.
            check({info.filename for info in zip_file.infolist() if not info.is_dir()} == files_of(source),
                  'names not all listed')
            check(all(info.flag_bits & 1 and info.compress_type == 99
                      for info in zip_file.infolist() if not info.is_dir()), 'an entry is not AES')
        read_back(archive, source, password, readers=('7zz', 'bsdtar'))
        fails(['7zz', 't', '-pfalsch', archive], f'{password!r}: 7zz with a wrong password')
        fails(['bsdtar', '-xOf', archive, '--passphrase', 'falsch'], f'{password!r}: bsdtar, wrong password')
        if password != 'Geheim':
            continue
        # 19 bytes are below the AE-1 limit: only the MAC guards that entry.
        for name in ('neunzehn.txt', 'zwanzig.txt', 'text/bericht.txt'):
            bad = flip_byte(archive, name, archive.parent / 'kaputt.zip')
            fails(['7zz', 't', f'-p{password}', bad], f'7zz accepts a flipped byte in {name}')
            fails(['bsdtar', '-xOf', bad, '--passphrase', password], f'bsdtar accepts a flipped byte in {name}')


def group_zip64(work):
    """A file over 4 GiB (sparse here, so cheap to make) through the real file layer."""
    big = work / 'Quelle' / 'riesig.bin'
    big.parent.mkdir()
    with open(big, 'wb') as file:
        file.truncate((4 << 30) + (100 << 20))
        file.seek(0, os.SEEK_END)
        file.write(b'ende')
    archive = work / 'gross.zip'
    exit_code, output = dszip(f'a -ms -ai "{win(archive)}" "{win(big.parent)}\\*.*"')
    if check(exit_code == 0, f'exit code {exit_code}\n{output}'):
        with zipfile.ZipFile(archive) as zip_file:
            check(zip_file.getinfo('riesig.bin').file_size == big.stat().st_size, 'size stored wrongly')
        ok(['7zz', 't', archive], '7zz t')  # inflates it all and checks the CRC
        target = work / 'Ziel'
        exit_code, output = dszip(f'x "{win(archive)}" "{win(target)}\\"')
        restored = target / 'riesig.bin'
        if check(exit_code == 0 and restored.exists(), f'dszip x: exit code {exit_code}\n{output}'):
            with open(restored, 'rb') as file:
                file.seek(-4, os.SEEK_END)
                check(restored.stat().st_size == big.stat().st_size and file.read() == b'ende',
                      'dszip x: the file over 4 GiB came back wrong')
            restored.unlink()
    big.unlink()


REFUSALS = [  # command line, exit code; nothing may be written
    ('a -mq -ai "{zip}" "{src}\\*.*"', 7),
    ('a -mn -zz "{zip}" "{src}\\*.*"', 7),
    ('u -mn -ai "{zip}" "{src}\\*.*"', 7),
    ('a -mn -ai "{zip}"', 7),
    ('a -mn -ai', 7),
    ('', 0),  # the help, as for /? and -h
    ('/?', 0),
    ('a -mn -ai "{target}\\"', 7),
    ('a -mn -ai "{target}\\x.rar" "{src}\\*.*"', 7),
    ('a -mn -ai "{target}\\x.7z" "{src}\\*.*"', 7),
    ('a -hpGehЖim -mn -ai "{zip}" "{src}\\*.*"', 7),  # outside Windows-1252
    ('a -mn -ai "{existing}" "{src}\\*.*"', 9),
    ('a -mn -ai "{zip}" "{src}\\*.xyz"', 10),
    ('a -mn -ai "{zip}" "{src}\\leer\\*.*"', 10),
]


def group_refusals(work):
    source = work / 'Quelle'
    make_tree(source)
    target = work / 'Ziel'
    target.mkdir()
    (target / 'vorhanden.zip').write_bytes(b'an archive of an earlier run')
    names = dict(src=win(source), target=win(target), zip=win(target / 'neu.zip'),
                 existing=win(target / 'vorhanden.zip'))
    source_before, target_before = snapshot(source), snapshot(target)
    for line, expected in REFUSALS:
        exit_code, output = dszip(line.format(**names))
        check(exit_code == expected, f'{line}: exit code {exit_code}, not {expected}\n{output}')
        check(output.strip() != '', f'{line}: no message')
        check(snapshot(target) == target_before, f'{line}: the target folder changed')
        check(snapshot(source) == source_before, f'{line}: the source changed')


def group_move(work):
    original = work / 'Original'
    make_tree(original)
    source = work / 'Quelle'
    shutil.copytree(original, source, copy_function=shutil.copy2)
    archive = work / 'Ziel' / 'verschoben.zip'
    archive.parent.mkdir()
    exit_code, output = dszip(f'm -mn -ai "{win(archive)}" "{win(source)}\\*.*"')
    if check(exit_code == 0, f'm: exit code {exit_code}\n{output}'):
        read_back(archive, original, readers=('7zz', 'zipfile'))
        left = files_of(source)
        check(not left, f'm left source files: {sorted(left)[:4]}')

    # A file changed after it went in stays with its new content; the run warns (exit code 1).
    source = fresh(work / 'Quelle 2')
    first = source / '0 zuerst.txt'
    first.write_bytes(b'alt')
    (source / 'gross.bin').write_bytes(random.Random(2).randbytes(32 << 20))
    archive = archive.parent / 'geaendert.zip'
    changed = 'neu und länger'.encode()
    command = ['wine', args.dszip, 'm', '-mx', '-ai', win(archive), win(source) + '\\*.*']
    exit_code, output = during_run(command, archive, lambda process: first.write_bytes(changed),
                                   written=2 << 20)
    check(exit_code == 1, f'changed file: exit code {exit_code}\n{output}')
    check(files_of(source) == {first.name} and first.read_bytes() == changed,
          f'changed file: left {sorted(files_of(source))}')
    if check(archive.exists(), 'changed file: no archive'):
        with zipfile.ZipFile(archive) as zip_file:
            check(zip_file.read(first.name) == b'alt', 'changed file: the archive holds the new content')


def group_copies(work):
    """What the archive holds is what was on disk, and only that is deleted."""
    # Small files replaced (written beside, renamed over, as an editor saves) while large ones
    # are read: each must go in whole, as its new version.
    source = fresh(work / 'Quelle')
    for index in range(4):
        (source / f'a{index}.bin').write_bytes(random.Random(index).randbytes(30 << 20))
    replaced = {f'z{size}.txt': random.Random(size).randbytes(3 * size) for size in (1000, 65536, 1000000)}
    for name, new in replaced.items():
        (source / name).write_bytes(b'x' * (len(new) // 3))

    def replace_all(process):
        for name, new in replaced.items():
            (source / (name + '.neu')).write_bytes(new)
            os.replace(source / (name + '.neu'), source / name)

    archive = fresh(work / 'Ziel') / 'ersetzt.zip'
    command = ['wine', args.dszip, 'a', '-mx', '-ai', win(archive), win(source) + '\\*.*']
    exit_code, output = during_run(command, archive, replace_all, written=1 << 20)
    check(exit_code == 0, f'replaced files: exit code {exit_code}\n{output}')
    if check(archive.exists(), 'replaced files: no archive'):
        with zipfile.ZipFile(archive) as zip_file:
            for name, new in replaced.items():
                check(zip_file.read(name) == new, f'replaced files: {name} is not its new version')

    # Changed after it was read, its size and modification time put back: not deleted.
    source = fresh(work / 'Quelle 2')
    first = source / '0 zuerst.txt'
    first.write_bytes(b'alt1')
    (source / 'gross.bin').write_bytes(random.Random(2).randbytes(32 << 20))
    stamp = first.stat()

    def rewrite(process):
        first.write_bytes(b'neu2')
        os.utime(first, ns=(stamp.st_atime_ns, stamp.st_mtime_ns))

    archive = archive.parent / 'zurueckgesetzt.zip'
    command = ['wine', args.dszip, 'm', '-mx', '-ai', win(archive), win(source) + '\\*.*']
    exit_code, output = during_run(command, archive, rewrite, written=2 << 20)
    check(exit_code == 1, f'times put back: exit code {exit_code}\n{output}')
    check(first.exists() and first.read_bytes() == b'neu2', 'times put back: the changed file was deleted')
    check(not (source / 'gross.bin').exists(), 'times put back: the unchanged file was kept')

    # Backups are not backed up, nor deleted by a move.
    source = fresh(work / 'Daten')
    make_tree(source)
    backups = source / 'bk'
    backups.mkdir()
    exit_code, output = dszip(f'a -mn -ai "{win(backups)}\\n1.zip" "{win(source)}\\*.*"')
    check(exit_code == 0, f'first backup: exit code {exit_code}\n{output}')
    exit_code, output = dszip(f'm -mn -ai "{win(backups)}\\n2.zip" "{win(source)}\\*.*"')
    check(exit_code == 0 and 'Ordner ausgelassen' in output, f'move beside backups: exit code {exit_code}\n{output}')
    check({'n1.zip', 'n2.zip', 'dszip.log'} <= set(os.listdir(backups)), f'left in bk: {os.listdir(backups)}')
    for name in ('n1.zip', 'n2.zip'):
        if (backups / name).exists():
            stored = stored_files(backups / name)
            check(not any(entry.startswith('bk/') for entry in stored), f'{name} holds the backups')
    exit_code, _ = dszip(f'a -mn -ai "{win(backups)}\\n3.zip" "{win(backups)}"')
    check(exit_code == 7, f'the backup folder as the source: exit code {exit_code}')

    # A folder linked on the Unix side: named and left inside a source, followed as the source.
    source = fresh(work / 'Mit Link')
    (source / 'eigen.txt').write_bytes(b'eigen')
    elsewhere = fresh(work / 'Anderswo')
    (elsewhere / 'fremd.txt').write_bytes(b'fremd')
    (source / 'Link').symlink_to(elsewhere.absolute(), target_is_directory=True)
    archive = archive.parent / 'link-innen.zip'
    exit_code, output = dszip(f'a -mn -ai "{win(archive)}" "{win(source)}\\*.*"')
    check(exit_code == 0 and 'nicht verfolgt' in output, f'link inside: exit code {exit_code}\n{output}')
    check(archive.exists() and stored_files(archive) == {'eigen.txt'}, 'link inside: followed')
    archive = archive.parent / 'link-quelle.zip'
    exit_code, output = dszip(f'a -mn -ai "{win(archive)}" "{win(source)}\\Link"')
    check(exit_code == 0, f'link as the source: exit code {exit_code}\n{output}')
    check(archive.exists() and stored_files(archive) == {'Link/fremd.txt'}, 'link as the source: not followed')


def short_name(folder):
    """The 8.3 name Wine gives a folder, as `dir /x` lists it."""
    code, output = run(['wine', 'cmd', '/c', 'dir', '/x', win(folder.parent)])
    for line in output.splitlines():
        parts = line.split()
        if '<DIR>' in parts and line.rstrip().endswith(' ' + folder.name):
            return folder.parent / parts[parts.index('<DIR>') + 1]
    return None


def free_drive():
    """A drive letter that the prefix does not map yet."""
    devices = Path(os.environ['WINEPREFIX'], 'dosdevices')
    return next(letter for letter in 'rstuvwxy' if not os.path.lexists(devices / f'{letter}:'))


def group_identity(work):
    """The archive's folder under another spelling is still the archive's folder; a file link
    is not followed to its target by a move; a growing file is read to its size at open."""
    source = work / 'Daten'
    backups = source / 'Sicherungen'
    backups.mkdir(parents=True)
    (work / 'Verweis').symlink_to(source.absolute(), target_is_directory=True)
    letter = free_drive()
    device = Path(os.environ['WINEPREFIX'], 'dosdevices', f'{letter}:')
    device.symlink_to(backups.absolute(), target_is_directory=True)
    short = short_name(backups)
    check(short is not None and short.name != backups.name, f'no 8.3 name of {backups}')
    spellings = [('8.3 name', win(short or backups)), ('linked parent', win(work / 'Verweis' / backups.name)),
                 ('mapped drive', f'{letter.upper()}:')]
    try:
        for name, folder in spellings:
            for night, command in enumerate(('a', 'm', 'm'), 1):
                (source / f'{name} {night}.txt').write_bytes(f'Nacht {night}'.encode())
                archive = f'{name} {night}.zip'
                earlier = set(os.listdir(backups))
                exit_code, output = dszip(f'{command} -mn -ai "{folder}\\{archive}" "{win(source)}"')
                check(exit_code == 0 and 'Ordner ausgelassen' in output, f'{name}, night {night}: exit code {exit_code}\n{output}')
                check(earlier <= set(os.listdir(backups)), f'{name}, night {night}: deleted {earlier - set(os.listdir(backups))}')
                if check((backups / archive).exists(), f'{name}, night {night}: no archive'):
                    stored = stored_files(backups / archive)
                    check(not any('Sicherungen/' in entry for entry in stored), f'{name}, night {night}: holds {sorted(stored)}')
            exit_code, _ = dszip(f'a -mn -ai "{win(backups)}\\als-quelle.zip" "{folder}"')
            check(exit_code == 7, f'{name} as the source: exit code {exit_code}')
    finally:
        device.unlink()

    # A link to a file outside the source: stored, and a move leaves the file it leads to.
    linked = fresh(work / 'Mit Dateilink')
    (linked / 'eigen.txt').write_bytes(b'eigen')
    outside = fresh(work / 'Draussen') / 'ziel.txt'
    outside.write_bytes(b'bleibt')
    (linked / 'verweis.txt').symlink_to(outside.absolute())
    archive = work / 'dateilink.zip'
    exit_code, output = dszip(f'm -mn -ai "{win(archive)}" "{win(linked)}\\*.*"')
    check(exit_code == 0 and 'Verknüpfung gesichert' in output, f'file link: exit code {exit_code}\n{output}')
    check(outside.exists() and outside.read_bytes() == b'bleibt', 'file link: its target was deleted')
    check(archive.exists() and stored_files(archive) == {'eigen.txt', 'verweis.txt'}, 'file link: not stored')

    # Appended to faster than it is read: the run ends, and the copy is the file as it was opened.
    growing = fresh(work / 'Wachsend') / 'protokoll.log'
    growing.write_bytes(b''.join(b'Zeile %08d\n' % n for n in range(1 << 20)))
    archive = work / 'wachsend.zip'
    command = ['wine', args.dszip, 'm', '-ms', '-ai', win(archive), win(growing)]
    with tempfile.TemporaryFile() as output:
        process = subprocess.Popen([str(part) for part in command], stdin=subprocess.DEVNULL,
                                   stdout=output, stderr=subprocess.STDOUT)
        line, deadline = 1 << 20, time.monotonic() + RUN_SECONDS
        with open(growing, 'ab') as log:
            while process.poll() is None and time.monotonic() < deadline and line < 16 << 20:
                log.write(b''.join(b'Zeile %08d\n' % n for n in range(line, line + 4096)))
                log.flush()
                line += 4096
        exit_code = process.wait(timeout=RUN_SECONDS)
        output.seek(0)
        said = output.read().decode('utf-8', 'replace')
    check(exit_code == 1 and 'Während des Lesens' in said, f'growing file: exit code {exit_code}\n{said}')
    if check(growing.exists() and archive.exists(), 'growing file: deleted, or no archive'):
        with zipfile.ZipFile(archive) as zip_file:
            copy = zip_file.read(growing.name)
        whole = growing.read_bytes()
        check(0 < len(copy) < len(whole) and whole.startswith(copy) and copy.endswith(b'\n'),
              f'growing file: a copy of {len(copy)} bytes of {len(whole)}')


# Failures injected into a move, the case where sources are at stake. Each row: name, how the
# failure is brought about, the exit codes that report it (None: killed, there is none).
FAILURES = [
    ('target folder read-only', 'immutable', (9, 2)),
    ('disk full', 'tmpfs', (2, 9)),
    ('Ctrl+C', signal.SIGINT, (255,)),
    ('killed', signal.SIGKILL, None),
]


def group_failures(work):
    source = work / 'Quelle'
    make_tree(source)
    (source / 'gross.bin').write_bytes(random.Random(1).randbytes(48 << 20))
    source_before = snapshot(source)
    for name, how, codes in FAILURES:
        print(name)
        target = work / name.replace(' ', '_').replace('+', '')
        archive = target / 'a.zip'
        command = ['wine', args.dszip, 'm', '-mx', '-ai', win(archive), win(source) + '\\*.*']
        try:
            reason = break_target(target, how)
            if reason:
                print('  SKIPPED:', reason)
                continue
            target_before = snapshot(target)
            exit_code, output = during_run(command, archive, lambda process: process.send_signal(how)) \
                if isinstance(how, signal.Signals) else run(command)
            print(f'    -> {exit_code}')
            check(not archive.exists(), f'{name}: an archive under the final name')
            check(snapshot(source) == source_before, f'{name}: the sources changed')
            if codes:
                check(exit_code in codes, f'{name}: exit code {exit_code}, not one of {codes}\n{output}')
                check(snapshot(target) == target_before,
                      f'{name}: left in the target: {sorted(snapshot(target).keys() - target_before.keys())}')
            else:
                left = sorted(snapshot(target).keys() - target_before.keys())
                print(f'    left after the kill: {left}')
                # The next run removes what the killed one left, not what a live run (held
                # still meanwhile) is writing, and does not trip over either.
                live = ['wine', args.dszip, 'a', '-mx', '-ai', win(target / 'live.zip'), win(source) + '\\*.*']
                held = lambda process: process.send_signal(signal.SIGSTOP)
                exit_code, output = during_run(live, target / 'live.zip', lambda process: (
                    held(process), after_kill(archive, source, target, left), process.send_signal(signal.SIGCONT)))
                check(exit_code == 0 and (target / 'live.zip').exists(), f'live run: exit code {exit_code}\n{output}')
                check(not list(target.glob('*.dszip-tmp')), 'a temporary file stayed')
        finally:
            subprocess.run(['chattr', '-i', target], stderr=subprocess.DEVNULL)
            if os.path.ismount(target):
                subprocess.run(['umount', '-l', target])


def after_kill(archive, source, target, left):
    exit_code, output = dszip(f'a -mn -ai "{win(archive)}" "{win(source)}\\*.*"')
    if check(exit_code == 0, f'run after the kill: exit code {exit_code}\n{output}'):
        ok(['7zz', 't', archive], 'archive after the kill')
    temporary = {path.name for path in target.glob('*.dszip-tmp')}
    check(not temporary & set(left), f"the killed run's file stayed: {left}")
    check(any(name.startswith('live.zip.') for name in temporary), "the live run's file was removed")


def break_target(target, how):
    """Prepares the target folder, read-only or tiny where the row asks; why it cannot, or None."""
    target.mkdir()
    if how == 'tmpfs' and subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=2m', 'tmpfs', target]).returncode:
        return 'cannot mount a small tmpfs here (needs root with the right to mount)'
    (target / 'alt.txt').write_bytes(b'was here before')
    if how == 'immutable' and subprocess.run(['chattr', '+i', target]).returncode:
        return 'chattr +i does not work here (needs root and a file system that has it)'
    return None


def during_run(command, archive, action, written=0):
    """Runs dszip; once the temporary file beside the archive holds `written` bytes, calls
    action with the process. Returns the exit code and the output."""
    known = set(os.listdir(archive.parent)) | {'dszip.log', archive.name}
    with tempfile.TemporaryFile() as output:
        process = subprocess.Popen([str(part) for part in command], stdin=subprocess.DEVNULL,
                                   stdout=output, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and process.poll() is None:
            if any(size(archive.parent / name) >= written
                   for name in set(os.listdir(archive.parent)) - known):
                action(process)
                break
            time.sleep(0.005)
        else:
            check(False, 'no temporary archive seen while dszip ran')
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            check(False, 'dszip did not end within 60 s')
            process.kill()
            process.wait()
        output.seek(0)
        return process.returncode, output.read().decode('utf-8', 'replace')


def central_log():
    """The central run log of the prefix's user, the previous file included."""
    folder = next(Path(os.environ['WINEPREFIX'], 'drive_c', 'users').glob('*/AppData/Local/Datensicherung'), None)
    if folder is None:
        return ''
    return ''.join((folder / name).read_bytes().decode('utf-8', 'replace')
                   for name in ('dszip.alt.log', 'dszip.log') if (folder / name).exists())


def group_verdict(work):
    """Runs that used to end unseen: each leaves a record in the central log."""
    source = work / 'Quelle'
    make_tree(source)
    deep = work / 'Neu' / 'Tiefer' / 'x.zip'
    exit_code, output = dszip(f'a -mn -ai "{win(deep)}" "{win(source)}\\*.*"')
    if check(exit_code == 0 and 'Zielordner angelegt' in output, f'new folder: exit code {exit_code}\n{output}'):
        read_back(deep, source, readers=('7zz',))
    exit_code, output = dszip(f'a -mn "Q:\\Weg\\{work.name}.zip" "{win(source)}"', debug='err+eventlog')
    check(exit_code == 9 and 'err:eventlog:ReportEventW' in output and 'Ziellaufwerk Q:' in output,
          f'missing drive: exit code {exit_code}\n{output}')
    check(f'Q:\\Weg\\{work.name}.zip' in central_log(), 'missing drive: no central record')
    # Records of runs at once stay whole; the refused ones leave a record too.
    markers = [f'{work.name}-{n}-{random.random()}' for n in range(6)]
    runs = [subprocess.Popen(['wine', args.dszip, 'a', f'-q{marker}', 'x.zip', 'y'], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for marker in markers]
    for process in runs:
        process.wait(timeout=RUN_SECONDS)
    exit_code, _ = dszip(f'a -hpGehЖim "{win(work)}\\y.zip" "{win(source)}"')
    log = central_log()
    for marker in markers:
        check(f'Aufruf: dszip a -q{marker} x.zip y\r\nUnbekannter Schalter „-q{marker}“.\r\n'
              f'Ergebnis: Fehlgeschlagen (Exit-Code 7)\r\n' in log, f'record of {marker} not whole')
    check(exit_code == 7 and f'-hp*** {win(work)}\\y.zip' in log and 'Windows-1252' in log,
          f'password outside Windows-1252: exit code {exit_code}, no record')
    # At about 1 MB the log is set aside, one previous file kept.
    folder = next(Path(os.environ['WINEPREFIX'], 'drive_c', 'users').glob('*/AppData/Local/Datensicherung'))
    with open(folder / 'dszip.log', 'ab') as file:
        file.write(b'x' * max(0, (1 << 20) - 50 - (folder / 'dszip.log').stat().st_size) + b'\r\n')
    marker = f'-q{work.name}-rotation'
    run(['wine', args.dszip, 'a', marker, 'x.zip', 'y'])
    check(marker in (folder / 'dszip.log').read_text('utf-8', 'replace')
          and (folder / 'dszip.log').stat().st_size < 1 << 16 and (folder / 'dszip.alt.log').stat().st_size >= 1 << 19,
          'the central log was not set aside at 1 MB')
    # Windows-1252 bytes make the key, as common readers on Windows take them.
    archive = work / 'kennwort.zip'
    exit_code, output = dszip(f'a -hp"Grüße €" -mn -ai "{win(archive)}" "{win(source)}\\*.*"')
    if check(exit_code == 0 and 'Windows-1252' in output, f'Windows-1252 password: exit code {exit_code}\n{output}'):
        for encoding, opens in (('cp1252', True), ('utf-8', False)):
            result = subprocess.run([b'bsdtar', b'-xOf', bytes(archive), b'--passphrase', 'Grüße €'.encode(encoding)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=RUN_SECONDS)
            check((result.returncode == 0) == opens, f'bsdtar with the {encoding} bytes: exit code {result.returncode}')


def size(path):
    try:
        return path.stat().st_size
    except OSError:  # renamed or removed meanwhile
        return -1


def with_keys(text, section, values):
    """The INI text with some keys of one section set to new values."""
    lines, current = [], None
    for line in text.split('\r\n'):
        stripped = line.strip()
        if stripped.startswith('['):
            current = stripped.strip('[]').lower()
        elif current == section.lower() and '=' in stripped and not stripped.startswith(';'):
            key = stripped.split('=', 1)[0].strip()
            if key in values:
                line = f'{key}={values[key]}'
        lines.append(line)
    return '\r\n'.join(lines)


def group_datensicherung(work):
    """The example settings, "Starten" by /GO: a real archive of the example data."""
    if not os.environ.get('DISPLAY'):
        print('SKIPPED: no display for the window program')
        return
    program = work / 'Programm'
    program.mkdir()
    shutil.copy2(args.program, program / 'Datensicherung.exe')
    shutil.copy2(args.dszip, program / 'dszip.exe')
    source = work / 'Beispieldaten'
    shutil.copytree(args.example / 'Beispieldaten', source)
    target = work / 'Sicherung'
    target.mkdir()
    settings = (args.example / 'Datensicherung.ini').read_bytes().decode('cp1252')
    settings = with_keys(settings, 'Backup', {'0': win(source) + '\\*.*'})
    settings = with_keys(settings, 'Ziel', {'0': win(target) + '\\'})
    (program / 'Datensicherung.ini').write_bytes(settings.encode('cp1252'))
    # Started from another folder: the settings' bare "dszip.exe" must be found beside the program.
    exit_code, output = run(['wine', program / 'Datensicherung.exe', '/DIR:0', '/GO'], cwd=work)
    check(exit_code == 0, f'Datensicherung.exe: exit code {exit_code}\n{output}')
    archive = target / (date.today().strftime('%Y%m%d') + '-0.zip')
    log = target / 'dszip.log'
    deadline = time.monotonic() + RUN_SECONDS
    # dszip runs on by itself; its log names the archive once the run is over.
    while time.monotonic() < deadline and not (
            log.exists() and archive.name in log.read_bytes().decode('utf-8', 'replace')):
        time.sleep(0.2)
    if check(archive.exists(), f'no {archive.name} within {RUN_SECONDS} s: {os.listdir(target)}'):
        read_back(archive, source, readers=('7zz', 'zipfile'))
    check(log.exists() and archive.name in log.read_bytes().decode('utf-8', 'replace'),
          'dszip.log does not name the archive')
    check(f'Auftrag 0 „Beispieldaten“, Archiv {win(archive)}: "dszip.exe" a' in central_log(),
          'no handover record in the central log')

    # /WARTEN: Datensicherung ends with dszip's exit code, so the task scheduler sees it.
    blocked = fresh(work / 'Protokoll gesperrt')
    (blocked / 'dszip.log').mkdir()  # the log beside the archive cannot be written: a warning
    for name, job, folder, expected in (
            ('ok', win(source) + '\\*.*', win(target) + '\\', 0),
            ('log not writable', win(source) + '\\*.*', win(blocked) + '\\', 1),
            ('drive missing', win(source) + '\\*.*', 'Q:\\Weg\\', 9),
            ('nothing matches', win(source) + '\\*.xyz', win(target) + '\\', 10)):
        settings = with_keys(settings, 'Backup', {'0': job})
        (program / 'Datensicherung.ini').write_bytes(with_keys(settings, 'Ziel', {'0': folder}).encode('cp1252'))
        exit_code, output = run(['wine', program / 'Datensicherung.exe', '/dir:0', '/GO', '/Warten'], cwd=work)
        check(exit_code == expected, f'/WARTEN, {name}: exit code {exit_code}, not {expected}\n{output}')


# --- restoring ------------------------------------------------------------------------------

def zipfile_archive(source, archive, method):
    with zipfile.ZipFile(archive, 'w', method) as zip_file:
        for folder, folders, names in os.walk(source):
            for name in sorted(folders + names):
                zip_file.write(Path(folder) / name, (Path(folder) / name).relative_to(source))


# Writer, how it makes an archive of `src` at `zip`, the password. Times are compared to the
# two seconds of the DOS time, as zipfile keeps nothing finer.
FOREIGN = [
    ('7zz', lambda src, zip: ['7zz', 'a', '-tzip', '-mx5', zip, '.'], None),
    ('7zz AES', lambda src, zip: ['7zz', 'a', '-tzip', '-pGeheim', '-mem=AES256', zip, '.'], 'Geheim'),
    ('7zz store', lambda src, zip: ['7zz', 'a', '-tzip', '-mx0', zip, '.'], None),
    ('zip', lambda src, zip: ['zip', '-rq', zip, '.'], None),
    ('zip streamed', lambda src, zip: ['sh', '-c', f'zip -rq - . > "{zip}"'], None),
    ('bsdtar', lambda src, zip: ['bsdtar', '--format', 'zip', '-cf', zip, '.'], None),
    ('bsdtar AES', lambda src, zip: ['bsdtar', '--format', 'zip', '--options', 'zip:encryption=aes256',
                                     '--passphrase', 'Geheim', '-cf', zip, '.'], 'Geheim'),
    # Longer than dszip writes: reading takes it all the same.
    ('bsdtar AES, 120 characters', lambda src, zip: ['bsdtar', '--format', 'zip', '--options', 'zip:encryption=aes256',
                                                     '--passphrase', 'Lang' * 30, '-cf', zip, '.'], 'Lang' * 30),
    ('zipfile', lambda src, zip: zipfile_archive(src, zip, zipfile.ZIP_DEFLATED), None),
    ('zipfile store', lambda src, zip: zipfile_archive(src, zip, zipfile.ZIP_STORED), None),
]


def group_restore(work):
    """Archives no one here wrote, extracted by dszip and compared byte for byte, times too;
    then dszip's own round trip of the same tree."""
    source = work / 'Quelle'
    make_tree(source)
    for writer, command, password in FOREIGN:
        print(f'writer {writer}')
        archive = fresh(work / 'archiv') / 'fremd.zip'
        made = command(source, archive)
        if made is not None and not ok(made, f'{writer} writes', cwd=source):
            continue
        secret = f'-p{password} ' if password else ''
        exit_code, output = dszip(f't {secret}"{win(archive)}"')
        check(exit_code == 0, f'{writer}: t exit code {exit_code}\n{output}')
        exit_code, output = dszip(f'l "{win(archive)}"')
        check(exit_code == 0 and 'Straße.txt' in output,
              f'{writer}: l exit code {exit_code}\n{output[-600:]}')
        target = fresh(work / 'ziel')
        exit_code, output = dszip(f'x {secret}"{win(archive)}" "{win(target)}\\"')
        if check(exit_code == 0, f'{writer}: x exit code {exit_code}\n{output}'):
            same_tree(source, target, f'dszip x of {writer}', times=True)
    print('old PKWARE encryption')
    archive = fresh(work / 'archiv') / 'alt.zip'
    ok(['zip', '-rq', '-P', 'Geheim', archive, '.'], 'zip -P writes', cwd=source)
    target = fresh(work / 'ziel')
    exit_code, output = dszip(f'x -pGeheim "{win(archive)}" "{win(target)}\\"')
    if check(exit_code == 0, f'old encryption: exit code {exit_code}\n{output}'):
        same_tree(source, target, 'dszip x of zip -P', times=True)
    exit_code, output = dszip(f't -pfalsch "{win(archive)}"')
    check(exit_code == 11, f'old encryption, wrong password: exit code {exit_code}\n{output}')
    print('round trip, a modification time to 100 ns')
    exact = 1709670612_123456700  # ....1234567 s
    os.utime(source / 'neunzehn.txt', ns=(exact, exact))
    archive = fresh(work / 'archiv') / 'eigen.zip'
    exit_code, output = dszip(f'a -mn -ai -hpGeheim "{win(archive)}" "{win(source)}\\*.*"')
    if check(exit_code == 0, f'a: exit code {exit_code}\n{output}'):
        target = fresh(work / 'ziel')
        exit_code, output = dszip(f'x -pGeheim "{win(archive)}" "{win(target)}\\"')
        if check(exit_code == 0, f'round trip x: exit code {exit_code}\n{output}'):
            same_tree(source, target, 'round trip', times=True)
            restored = (target / 'neunzehn.txt').stat().st_mtime_ns
            check(restored == exact, f'round trip: mtime {restored} != {exact}')
        exit_code, output = dszip(f'x -pfalsch "{win(archive)}" "{win(fresh(target))}\\"')
        check(exit_code == 11 and not os.listdir(target), f'wrong password: exit code {exit_code}\n{output}')
        exit_code, output = dszip(f'x "{win(archive)}" "{win(target)}\\"')
        check(exit_code == 7 and not os.listdir(target), f'no password, no console: exit code {exit_code}\n{output}')


def night_archive(source, archive, changed, previous):
    """An incremental archive of `source` as a writes it: the changed files, the state list and
    the record that names the archive before."""
    with zipfile.ZipFile(archive, 'w', zipfile.ZIP_DEFLATED) as zip_file:
        for name in changed:
            zip_file.write(source / name, name)
        zip_file.writestr(set_archives.STATE_LIST, set_archives.state_list(set_archives.tree_state(source)))
        zip_file.comment = set_archives.record('inkrementell', '2024-03-05 21:30:00', win(source) + '\\*.*',
                                               previous)


def group_chain(work):
    """x -kette: a night's tree, byte for byte with its times, files deleted by then absent; a
    missing link writes nothing."""
    source, sets = work / 'Quelle', fresh(work / 'Sätze')
    make_tree(source)
    full = sets / '20240304-0.zip'
    exit_code, output = dszip(f'a -mn -ai "{win(full)}" "{win(source)}\\*.*"')
    check(exit_code == 0, f'full: exit code {exit_code}\n{output}')
    set_archives.add_record(full, set_archives.record('voll', '2024-03-04 21:30:00', win(source) + '\\*.*'))
    (source / 'neunzehn.txt').write_bytes(b'am zweiten Abend anders\n')
    (source / 'neu').mkdir()
    (source / 'neu' / 'dazu.txt').write_bytes(b'dazugekommen\n')
    night_archive(source, sets / '20240305-0.zip', ['neunzehn.txt', 'neu/dazu.txt'], full.name)
    middle = work / 'Stand 2'
    shutil.copytree(source, middle)
    (source / 'zwanzig.txt').unlink()
    (source / 'Ärger über Öl' / 'Straße.txt').write_bytes('Grüße aus Bonn\n'.encode())
    night_archive(source, sets / '20240306-0.zip', ['Ärger über Öl/Straße.txt'], '20240305-0.zip')
    for night, tree in (('20240305-0.zip', middle), ('20240306-0.zip', source)):
        target = fresh(work / 'ziel')
        exit_code, output = dszip(f'x -kette "{win(sets / night)}" "{win(target)}\\"')
        if check(exit_code == 0, f'x -kette {night}: exit code {exit_code}\n{output}'):
            same_tree(tree, target, f'x -kette {night}', times=True)
    for reader in (['7zz', 't', sets / '20240306-0.zip'], ['unzip', '-tq', sets / '20240306-0.zip']):
        ok(reader, f'{reader[0]} tests an archive with a state list')
    check_folder(work, sets, source)
    (sets / '20240305-0.zip').rename(work / 'weg.zip')
    target = fresh(work / 'ziel')
    exit_code, output = dszip(f'x -kette "{win(sets / "20240306-0.zip")}" "{win(target)}\\"')
    check(exit_code == 2 and '20240305-0.zip' in output and not os.listdir(target),
          f'a link missing: exit code {exit_code}, {os.listdir(target)}\n{output}')


def check_folder(work, sets, source):
    """t <folder>\\: the good folder, then one fault at a time in a copy of it, each named with
    its exit code; the folder as it was afterwards, the verdict in the central log."""
    with zipfile.ZipFile(sets / 'fremd.zip', 'w') as zip_file:
        zip_file.writestr('x.txt', 'ohne Angaben zum Satz')

    def damage(folder):
        flip_byte(folder / '20240304-0.zip', 'zufall.bin', folder / '20240304-0.zip')

    def unlink(folder):
        (folder / '20240305-0.zip').unlink()

    def unlisted(folder):
        night = folder / '20240306-0.zip'
        night.unlink()
        state = set_archives.tree_state(source)
        state['nirgends.txt'] = (1, set_archives.TICKS_1970)
        with zipfile.ZipFile(night, 'w') as zip_file:
            zip_file.writestr(set_archives.STATE_LIST, set_archives.state_list(state))
            zip_file.comment = set_archives.record('inkrementell', '2024-03-06 21:30:00',
                                                   win(source) + '\\*.*', '20240305-0.zip')

    rows = [('good', None, 0, ['Archive 3: 3 in Ordnung', 'nicht beurteilt: fremd.zip']),
            ('one archive damaged', damage, 2, ['20240304-0.zip  voll  fehlerhaft', 'zufall.bin']),
            ('one link deleted', unlink, 2, ['Kette unterbrochen: 20240305-0.zip']),
            ('a state-list name in no archive', unlisted, 1, ['nennt nirgends.txt'])]
    for name, spoil, expected, said in rows:
        folder = work / 'Prüfung'
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(sets, folder)
        if spoil:
            spoil(folder)
        before = snapshot(folder)
        code, output = dszip(f't "{win(folder)}\\"')
        check(code == expected and all(text in output for text in said),
              f't <folder>\\, {name}: exit code {code}, not {expected}\n{output}')
        check(snapshot(folder) == before, f't <folder>\\, {name}: the folder changed')
        check(f'Exit-Code {expected}' in central_log().rsplit('Aufruf: dszip t', 1)[-1],
              f't <folder>\\, {name}: no verdict in the central log')
    (sets / 'fremd.zip').unlink()


def hostile_archive(path):
    """Every refused name form, a symbolic link and a duplicate, all as zipfile writes them."""
    refused = ['../boese.txt', 'a/../../boese.txt', '/absolut.txt', 'C:/boese.txt', 'C:boese.txt',
               '\\\\server\\share\\boese.txt', '\\\\?\\C:\\boese.txt', 'ads.txt:strom', 'CON', 'sub/NUL.txt',
               'com1.log', 'LPT9', 'punkt.', 'blank ', 'ordner./x.txt', 'steuer\x01.txt', 'GUT.txt']
    with zipfile.ZipFile(path, 'w') as zip_file:
        zip_file.writestr('gut.txt', 'gut')
        for name in refused:
            info = zipfile.ZipInfo(name)
            zip_file.writestr(info, 'boese')
        link = zipfile.ZipInfo('verweis')
        link.create_system = 3
        link.external_attr = 0o120777 << 16
        zip_file.writestr(link, '../../../etc/passwd')
    return refused


def group_hostile(work):
    """Nothing outside the target, nothing under a refused name, and the exit code."""
    archive = work / 'boese.zip'
    hostile_archive(archive)
    target = work / 'Ziel'
    target.mkdir()
    before = set(os.listdir(work))
    exit_code, output = dszip(f'x "{win(archive)}" "{win(target)}\\"')
    check(exit_code == 1, f'hostile names: exit code {exit_code}\n{output}')
    check(set(os.listdir(work)) == before, f'written beside the target: {set(os.listdir(work)) - before}')
    check(sorted(os.listdir(target)) == ['gut.txt', 'verweis'], f'restored: {sorted(os.listdir(target))}')
    link = target / 'verweis'
    check(not link.is_symlink() and link.read_bytes() == b'../../../etc/passwd', 'the link is not a plain file')
    check((target / 'gut.txt').read_bytes() == b'gut', 'the first of two names lost')
    good = work / 'gut.zip'
    with zipfile.ZipFile(good, 'w', zipfile.ZIP_DEFLATED) as zip_file:
        zip_file.writestr('a.txt', 'A' * 5000)
        zip_file.writestr('b.txt', 'B' * 5000)
    data = good.read_bytes()
    cases = [  # name, archive bytes, exit code, files restored
        ('truncated', data[:len(data) // 2], 2, []),
        ('flipped byte', data[:40] + bytes([data[40] ^ 0xFF]) + data[41:], 1, ['b.txt']),
    ]
    for name, content, expected, restored in cases:
        broken = work / f'{name}.zip'
        broken.write_bytes(content)
        here = fresh(work / f'ziel {name}')
        exit_code, output = dszip(f'x "{win(broken)}" "{win(here)}\\"')
        check(exit_code == expected, f'{name}: exit code {exit_code}\n{output}')
        check(sorted(os.listdir(here)) == restored, f'{name}: restored {sorted(os.listdir(here))}')
    print('existing files')
    for switch, expected, content in (('', 1, b'alt'), ('-o- ', 0, b'alt'), ('-o+ ', 0, b'A' * 5000)):
        here = fresh(work / 'vorhanden')
        (here / 'a.txt').write_bytes(b'alt')
        exit_code, output = dszip(f'x {switch}"{win(good)}" "{win(here)}\\"')
        check(exit_code == expected and (here / 'a.txt').read_bytes() == content,
              f'existing file with "{switch}": exit code {exit_code}\n{output}')
        check(sorted(os.listdir(here)) == ['a.txt', 'b.txt'], f'"{switch}": left {sorted(os.listdir(here))}')
    print('masks after the target, as the C runtime splits them')
    masked = work / 'masken.zip'
    with zipfile.ZipFile(masked, 'w') as zip_file:
        for name in ('z.doc', 'Daten/x.doc', 'Daten/Sub/y.doc', 'Daten/a.txt'):
            zip_file.writestr(name, name)
    for switches, mask, restored in (('', '*.doc', ['Daten/Sub/y.doc', 'Daten/x.doc', 'z.doc']),
                                     ('-r- ', 'Daten\\*.doc', ['Daten/x.doc'])):
        here = fresh(work / 'masken')
        exit_code, output = dszip(f'x {switches}"{win(masked)}" "{win(here)}\\" {mask}')
        files = sorted(path.relative_to(here).as_posix() for path in here.rglob('*') if path.is_file())
        check(exit_code == 0 and files == restored, f'masks "{switches}{mask}": exit code {exit_code}, {files}\n{output}')
    print('dropped on the program')
    dropped = fresh(work / 'abgelegt') / '20240305-0.zip'
    shutil.copy(good, dropped)
    for folder in ('20240305-0', '20240305-0 (2)'):
        exit_code, output = dszip(f'"{win(dropped)}"')
        check(exit_code == 0 and (dropped.parent / folder / 'b.txt').exists(),
              f'dropped: exit code {exit_code}, {os.listdir(dropped.parent)}\n{output}')


# Night by night into one folder with -behalten:3: fulls on nights 1, 4 and 7, incrementals
# between (under Wine every file has the archive attribute, so each stores all), and the
# nights whose archives stay afterwards: the newest three and every archive they rest on.
NIGHTS = [('-ai', {1}), ('-ao', {1, 2}), ('-ao', {1, 2, 3}), ('-ai', {1, 2, 3, 4}),
          ('-ao', {1, 2, 3, 4, 5}), ('-ao', {4, 5, 6}), ('-ai', {4, 5, 6, 7})]
STATE_LIST = '$DSZIP-ZUSTANDSLISTE$.txt'


def night_name(night):
    return f'2024030{night}-0.zip'


def check_night(target, name, previous, source):
    """The night's archive `name` holds its record, an incremental (one that follows `previous`)
    its state list of `source`; every archive in `target` passes four readers' tests."""
    with zipfile.ZipFile(target / name) as zip_file:
        record = zip_file.comment.decode('ascii', 'replace')
        kind = 'inkrementell' if previous else 'voll'
        check(re.match(f'dszip-Sicherungssatz, Format 2\r\nKennung: [0-9a-f]{{32}}\r\n'
                       f'Art: {kind}\r\nNummer: [1-9][0-9]*\r\n', record),
              f'{name}: record {record!r}')
        if previous:
            check(f'Folgt auf: {previous}\r\n' in record, f'{name}: link in {record!r}')
            listed = {line.split('\t')[2] for line in
                      zip_file.read(STATE_LIST).decode().splitlines()[1:]}
            empty = {folder.relative_to(source).as_posix() + '/' for folder in source.rglob('*')
                     if folder.is_dir() and not any(folder.iterdir())}
            check(listed == files_of(source) | empty, f'{name}: state list {sorted(listed)[:6]}')
    for kept in sorted(target.glob('*.zip')):
        ok(['7zz', 't', kept], f'{kept.name}: 7zz t')
        ok(['bsdtar', '-tf', kept], f'{kept.name}: bsdtar -t')
        ok(['unzip', '-tq', kept], f'{kept.name}: unzip -t')
        with zipfile.ZipFile(kept) as zip_file:
            check(zip_file.testzip() is None, f'{kept.name}: zipfile testzip')


def change_between_nights(source, night):
    """A file added, one changed and the previous night's one deleted. Each is written anew, as
    a Windows program saves: a new file has its archive attribute set."""
    (source / f'neu {night}.txt').write_text(f'Nacht {night}\n' * 50)
    report = source / 'text' / 'bericht.txt'
    report.unlink()
    report.write_text(f'Stand der Nacht {night}\n' * 100)
    if night > 1:
        (source / f'neu {night - 1}.txt').unlink()


def group_sets(work):
    source = work / 'Daten'
    make_tree(source)
    target = fresh(work / 'Ziel')
    for night, (switches, left) in enumerate(NIGHTS, start=1):
        print(f'night {night}')
        change_between_nights(source, night)
        code, output = dszip(f'a -mn {switches} -behalten:3 "{win(target / night_name(night))}" '
                             f'"{win(source)}\\*.*"')
        if not check(code == 0, f'night {night}: exit code {code}\n{output}'):
            return
        there = {n for n in range(1, 10) if (target / night_name(n)).exists()}
        check(there == left, f'night {night}: archives of nights {sorted(there)}, not {sorted(left)}')
        check_night(target, night_name(night), night_name(night - 1) if switches == '-ao' else None,
                    source)
    code, output = dszip(f'b "{win(target)}\\" -behalten:3')
    check(code == 0 and all(night_name(n) in output for n in NIGHTS[-1][1])
          and 'inkrementell' in output and 'Würde gelöscht' not in output,
          f'b: exit code {code}\n{output}')


def three_nights(source, target):
    """A full and two incrementals of `source` in `target`; False when one failed."""
    for night, switches in enumerate(('-ai', '-ao', '-ao'), start=1):
        change_between_nights(source, night)
        code, output = dszip(f'a -mn {switches} "{win(target / night_name(night))}" "{win(source)}\\*.*"')
        if not check(code == 0, f'night {night}: exit code {code}\n{output}'):
            return False
    change_between_nights(source, 4)
    return True


def nights_there(target):
    return {n for n in range(1, 10) if (target / night_name(n)).exists()}


def held_while(path, action):
    """Runs `action` while another program holds `path` open with share mode 0."""
    holder = subprocess.Popen(['wine', args.holdfile], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              env=dict(os.environ, HOLD_FILE=win(path), HOLD_SECONDS='60'))
    try:
        held = Path(f'{path}.gehalten')
        deadline = time.monotonic() + 30
        while not held.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        if check(held.exists(), f'{path.name} not held'):
            action()
    finally:
        Path(f'{path}.frei').touch()
        try:
            holder.wait(timeout=30)
        except subprocess.TimeoutExpired:
            holder.kill()
            holder.wait(timeout=10)


# When dszip cannot be sure, it keeps: a held archive, and a forged one, thin nothing; a renamed
# one is followed by its identity.
def group_doubts(work):
    source = work / 'Daten'
    make_tree(source)
    fourth = lambda target: (f'a -mn -ao -behalten:1 "{win(target / night_name(4))}" '
                             f'"{win(source)}\\*.*"')

    target = fresh(work / 'gehalten')
    if three_nights(source, target):
        def night4():
            code, output = dszip(fourth(target))
            check(code == 1 and 'folgt auf keines, denn 20240302-0.zip ist nicht lesbar' in output
                  and 'Ausdünnen ausgelassen: 20240302-0.zip ist nicht lesbar' in output,
                  f'held: exit code {code}\n{output}')
        held_while(target / night_name(2), night4)
        check(nights_there(target) == {1, 2, 3, 4}, f'held: nights {sorted(nights_there(target))}')

    target = fresh(work / 'umbenannt')
    if three_nights(source, target):
        (target / night_name(2)).rename(target / '20240302-0-alt.zip')
        code, output = dszip(fourth(target))
        check(code == 0 and nights_there(target) == {1, 3, 4} and
              '20240302-0-alt.zip: ' in output,
              f'renamed: exit code {code}, nights {sorted(nights_there(target))}\n{output}')
        restored = fresh(work / 'Nacht 4')
        code, output = dszip(f'x -kette "{win(target / night_name(4))}" "{win(restored)}\\"')
        if check(code == 0, f'renamed: x -kette exit code {code}\n{output}'):
            same_tree(source, restored, 'x -kette over a renamed archive', times=True)

    target = fresh(work / 'notiz')
    if three_nights(source, target):
        with zipfile.ZipFile(target / night_name(3)) as real:
            comment = real.comment
        with zipfile.ZipFile(target / 'notiz.zip', 'w') as forged:
            forged.writestr('notiz.txt', 'Nichts Wichtiges\n')
            forged.comment = re.sub(rb'Erstellt: \d{4}', b'Erstellt: 2029', comment)
        code, output = dszip(fourth(target))
        check(code == 1 and 'tragen dieselbe Kennung' in output and
              nights_there(target) == {1, 2, 3, 4} and (target / 'notiz.zip').exists(),
              f'forged: exit code {code}, nights {sorted(nights_there(target))}\n{output}')
    launchers_at_once(work, source)


def launcher_copy(work, name, source, target):
    program = fresh(work / name)
    shutil.copy2(args.program, program / 'Datensicherung.exe')
    shutil.copy2(args.dszip, program / 'dszip.exe')
    settings = (args.example / 'Datensicherung.ini').read_bytes().decode('cp1252')
    settings = with_keys(settings, 'Programm', {'Param': '%s -m%s%s-behalten:99 "%s" "%s"'})
    settings = with_keys(settings, 'Backup', {'0': win(source) + '\\*.*'})
    settings = with_keys(settings, 'Ziel', {'0': win(target) + '\\'})
    (program / 'Datensicherung.ini').write_bytes(settings.encode('cp1252'))
    return program


# Two launchers, each with its own settings file, started at the same moment into one folder:
# both pick the first free name, and the one whose rename comes second takes the next.
def launchers_at_once(work, source):
    if not os.environ.get('DISPLAY'):
        print('SKIPPED: no display for the window program')
        return
    target = fresh(work / 'zugleich')
    programs = [launcher_copy(work, f'Programm {n}', source, target) for n in (1, 2)]
    for round_ in range(1, 6):
        started = [subprocess.Popen(['wine', program / 'Datensicherung.exe', '/DIR:0', '/GO', '/WARTEN'],
                                    cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL) for program in programs]
        codes = []
        for process in started:
            try:
                codes.append(process.wait(timeout=RUN_SECONDS))
            except subprocess.TimeoutExpired:
                process.kill()
                codes.append(process.wait(timeout=10))
        archives = sorted(path.name for path in target.glob('*.zip'))
        check(codes == [0, 0] and len(archives) == 2 * round_,
              f'round {round_}: exit codes {codes}, archives {archives}')


# Two computers back up the same sources into one folder; Wine takes the computer name from
# the host name when its server starts, so each runs in a prefix of its own server session.
def group_computers(work):
    environment = dict(os.environ, WINEPREFIX=str(work / 'prefix'))
    if not ok(['wineboot', '--init'], 'a prefix of its own', env=environment):
        return
    run(['wineserver', '-w'], env=environment)
    source, target = work / 'Daten', fresh(work / 'Ziel')
    make_tree(source)
    try:
        for night in (1, 2):
            for job, computer in enumerate(('BUERO1', 'BUERO2')):
                run(['wineserver', '-k'], env=environment)
                archive = target / f'2024030{night}-{job}.zip'
                line = f'a -mn -ai -behalten:1 "{win(archive)}" "{win(source)}\\*.*"'
                code, output = run(['unshare', '-u', 'sh', '-c', f'hostname {computer} && wine "$0"',
                                    args.rawrun],
                                   env=dict(environment, RAWRUN_PROGRAM=win(args.dszip), RAWRUN_LINE=line,
                                            RAWRUN_SECONDS=str(RUN_SECONDS - 10)))
                check(code == 0 and archive.exists() and
                      f'Computer: {computer}'.encode() in archive.read_bytes(),
                      f'{computer} night {night}: exit code {code}\n{output}')
    finally:
        run(['wineserver', '-k'], env=environment)
    left = sorted(path.name for path in target.glob('*.zip'))
    check(left == ['20240302-0.zip', '20240302-1.zip'], f'two computers: {left}')


# The launcher night by night, as a scheduled task runs it: /DATUM:-n with n counting down, a
# full on nights 1, 5 and 9 and /DIFF (-ac -ao) between, -behalten:2 in the template. The
# nights whose archives stay after each: the newest two and every archive they rest on.
LAUNCHER_NIGHTS = [(False, {1}), (True, {1, 2}), (True, {1, 2, 3}), (True, {1, 2, 3, 4}),
                   (False, {1, 2, 3, 4, 5}), (True, {5, 6}), (True, {5, 6, 7}),
                   (True, {5, 6, 7, 8}), (False, {5, 6, 7, 8, 9}), (True, {9, 10})]


def group_nightly(work):
    if not os.environ.get('DISPLAY'):
        print('SKIPPED: no display for the window program')
        return
    program, source, target = fresh(work / 'Programm'), work / 'Daten', fresh(work / 'Ziel')
    shutil.copy2(args.program, program / 'Datensicherung.exe')
    shutil.copy2(args.dszip, program / 'dszip.exe')
    make_tree(source)
    settings = (args.example / 'Datensicherung.ini').read_bytes().decode('cp1252')
    settings = with_keys(settings, 'Programm', {'Param': '%s -m%s%s-behalten:2 "%s" "%s"'})
    settings = with_keys(settings, 'Backup', {'0': win(source) + '\\*.*'})
    settings = with_keys(settings, 'Ziel', {'0': win(target) + '\\'})
    (program / 'Datensicherung.ini').write_bytes(settings.encode('cp1252'))
    days = len(LAUNCHER_NIGHTS) + 1
    names = [None] + [(date.today() - timedelta(days=days - n)).strftime('%Y%m%d') + '-0.zip'
                      for n in range(1, days)]
    night7 = None
    for night, (incremental, left) in enumerate(LAUNCHER_NIGHTS, start=1):
        change_between_nights(source, night)
        switches = ['/DIR:0', f'/DATUM:-{days - night}', '/GO', '/WARTEN'] + (['/DIFF'] if incremental else [])
        code, output = run(['wine', program / 'Datensicherung.exe', *switches], cwd=work)
        if not check(code == 0, f'night {night}: exit code {code}\n{output}'):
            return
        there = {n for n in range(1, days) if (target / names[n]).exists()}
        check(there == left, f'night {night}: archives of nights {sorted(there)}, not {sorted(left)}')
        previous = max(n for n in range(1, night) if n in there) if incremental else None
        check_night(target, names[night], names[previous] if previous else None, source)
        if night == 7:
            night7 = shutil.copytree(source, work / 'Stand 7')
        # A middle night restored whole while its chain is there: 5 (full), 6, 7 of 8.
        if night == 8:
            restored = fresh(work / 'Nacht 7')
            code, output = dszip(f'x -kette "{win(target / names[7])}" "{win(restored)}\\"')
            if check(code == 0, f'x -kette night 7: exit code {code}\n{output}'):
                same_tree(night7, restored, 'x -kette night 7', times=True)
    code, output = dszip(f'b "{win(target)}\\"')
    check(code == 0 and names[9] in output and names[10] in output and names[8] not in output,
          f'b: exit code {code}\n{output}')


GROUPS = {name[len('group_'):]: function for name, function in globals().items()
          if name.startswith('group_')}

if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('group', choices=GROUPS)
    for option in ('dszip', 'rawrun', 'holdfile', 'program', 'example', 'work'):
        parser.add_argument(f'--{option}', type=Path, required=True)
    args = parser.parse_args()
    # What an earlier, interrupted run may have left locked: an immutable folder, a mount.
    if args.work.exists():
        subprocess.run(['chattr', '-R', '-i', args.work], stderr=subprocess.DEVNULL)
        for folder, _, _ in os.walk(args.work):
            if os.path.ismount(folder):
                subprocess.run(['umount', '-l', folder])
    GROUPS[args.group](fresh(args.work))
    print(f'{len(problems)} problem(s)' if problems else 'all checks passed')
    sys.exit(1 if problems else 0)
