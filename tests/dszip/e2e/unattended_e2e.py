#!/usr/bin/env python3
"""Datensicherung.exe started as a scheduled task would, with dszip beside it: a settings file
that an editor saved as UTF-8 with a stored password beyond ASCII, and start-ups that fail
under /WARTEN, which must end on their own with a code and a record.

unattended_e2e.py --dszip EXE --rawrun EXE --program EXE --example DIR --work DIR
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import time
from datetime import date
from pathlib import Path

import dszip_e2e
from dszip_e2e import central_log, check, fresh, make_tree, problems, run, win, with_keys

PASSWORD = 'Grüße€1'
FAILURE_SECONDS = 30  # a start-up failure under /WARTEN ends the program well within this


def stored_password(password):
    """The [Security] 1 value the program stores for the password: filler, markers and the
    password's Windows-1252 bytes combined with 0x19."""
    rng = random.Random(5)
    filler = [''.join(chr(96 + rng.randrange(26)) for _ in range(43)) for _ in range(2)]
    assert not any(marker in part for part in filler for marker in ('qkvo', 'ovkq'))
    scrambled = bytes(byte ^ 0x19 for byte in password.encode('cp1252')).decode('cp1252')
    return filler[0] + 'qkvo' + scrambled + 'ovkq' + filler[1]


def program_folder(work):
    program = fresh(work / 'Programm')
    shutil.copy2(args.program, program / 'Datensicherung.exe')
    shutil.copy2(args.dszip, program / 'dszip.exe')
    return program


def settings_for(source, target, version='3'):
    text = (args.example / 'Datensicherung.ini').read_bytes().decode('cp1252')
    text = with_keys(text, 'Backup', {'0': win(source) + '\\*.*'})
    text = with_keys(text, 'Ziel', {'0': win(target) + '\\'})
    text = with_keys(text, 'Programm', {'Version': version})
    return text.rstrip('\r\n') + f'\r\n[Security]\r\n1={stored_password(PASSWORD)}\r\n'


def opens(archive):
    """7zz and bsdtar given the password's Windows-1252 bytes, and dszip given the password."""
    secret = PASSWORD.encode('cp1252')
    for command in ([b'7zz', b't', b'-p' + secret, bytes(archive)],
                    [b'bsdtar', b'-xOf', bytes(archive), b'--passphrase', secret]):
        result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                stdin=subprocess.DEVNULL, timeout=dszip_e2e.RUN_SECONDS)
        check(result.returncode == 0, f'{command[0].decode()} with the Windows-1252 bytes: exit code {result.returncode}')
    code, output = dszip_e2e.dszip(f't -p{PASSWORD} "{win(archive)}"')
    check(code == 0, f'dszip t with the password: exit code {code}\n{output[-600:]}')


def utf8_settings(work):
    """Saved as UTF-8 with and without a mark: the archive has the stored password, and the
    file keeps its encoding."""
    source = work / 'Quelle'
    make_tree(source)
    for name, mark in (('UTF-8', b''), ('UTF-8 mit BOM', b'\xef\xbb\xbf')):
        print(name)
        program = program_folder(work)
        target = fresh(work / name)
        settings = program / 'Datensicherung.ini'
        settings.write_bytes(mark + settings_for(source, target).encode('utf-8'))
        code, output = run(['wine', program / 'Datensicherung.exe', '/DIR:0', '/GO', '/WARTEN'], cwd=work)
        archive = target / (date.today().strftime('%Y%m%d') + '-0.zip')
        if check(code == 0 and archive.exists(), f'{name}: exit code {code}, archive {archive.exists()}\n{output[-600:]}'):
            opens(archive)
        after = settings.read_bytes()
        check(after.startswith(b'\xef\xbb\xbf') == bool(mark), f'{name}: the mark changed')
        check(f'1={stored_password(PASSWORD)}\r\n' in after.decode('utf-8', 'replace') and b'[Last]' in after,
              f'{name}: the file is no longer the UTF-8 it was')


def failures(work):
    """Each failure ends the program by itself with its code; the central log and the event
    log name the argument or the cause, and no archiver runs."""
    source = fresh(work / 'Quelle klein')
    (source / 'a.txt').write_text('a')
    rows = (  # name, arguments, settings version, exit code, recorded
        ('/DATUM:-x', ['/DIR:0', '/DATUM:-x', '/GO', '/WARTEN'], '3', 22, "'X' ist kein gültiger Integerwert"),
        ('/GOO', ['/DIR:0', '/GOO', '/GO', '/WARTEN'], '3', 22, "'/GOO' ist kein gültiges Argument"),
        ('/DIR0', ['/DIR0', '/GO', '/WARTEN'], '3', 22, "'/DIR0' ist kein gültiges Argument"),
        ('Version 2', ['/DIR:0', '/GO', '/WARTEN'], '2', 23, 'Inidatei passt nicht zur Programmversion (3)'),
    )
    environment = dict(os.environ, WINEDEBUG='err+eventlog')
    for name, arguments, version, expected, recorded in rows:
        print(name)
        program = program_folder(work)
        target = fresh(work / 'Ziel')
        (program / 'Datensicherung.ini').write_bytes(settings_for(source, target, version).encode('cp1252'))
        started = time.monotonic()
        try:
            code, output = run(['wine', program / 'Datensicherung.exe', *arguments], cwd=work, env=environment)
        except subprocess.TimeoutExpired:
            check(False, f'{name}: still running after {dszip_e2e.RUN_SECONDS} s (a box waiting?)')
            continue
        took = time.monotonic() - started
        check(took < FAILURE_SECONDS, f'{name}: ended after {took:.0f} s')
        check(code == expected, f'{name}: exit code {code}, not {expected}\n{output[-600:]}')
        check(recorded in central_log(), f'{name}: the central log does not say "{recorded}"')
        # Wine writes the entry's text with its non-ASCII characters escaped.
        check('err:eventlog:ReportEventW' in output and recorded.split('ü')[0] in output,
              f'{name}: no event\n{output[-600:]}')
        check(not any(target.iterdir()), f'{name}: something ran: {list(target.iterdir())}')


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    for option in ('dszip', 'rawrun', 'program', 'example', 'work'):
        parser.add_argument(f'--{option}', type=Path, required=True)
    args = parser.parse_args()
    dszip_e2e.args = args
    if not os.environ.get('DISPLAY'):
        print('SKIPPED: no display for the window program')
        sys.exit(0)
    work = fresh(args.work)
    utf8_settings(work)
    failures(work)
    print(f'{len(problems)} problem(s)' if problems else 'all checks passed')
    sys.exit(1 if problems else 0)
