#!/usr/bin/env python3
"""What -behalten adds to a backup run: a folder of 1,000 archives of one set thinned out.

bench/thinning_bench.py [RUNS]   (default 5; needs build/win32/dszip.exe and Wine)

The folder (under build/bench/sets, made fresh before every run) holds 1,000 nightly archives
of one set, a full one each Sunday and incrementals between, each with dszip's record in its
comment, as dszip writes them. Each run backs up a small source (20 files) into it, once
without -behalten and once with it: `-behalten:1000` (the steady state: every archive read and
planned, the oldest one deleted) and `-behalten:7T,4W,12M` (a first thinning that deletes
about 970 archives). Prints the median wall time of each and the difference; judges nothing.
"""
import datetime
import os
import shutil
import statistics
import subprocess
import sys
import time
import zipfile
from pathlib import Path

root = Path(__file__).resolve().parent.parent
bench = root / 'build' / 'bench'
dszip = root / 'build' / 'win32' / 'dszip.exe'
ARCHIVES = 1000
FIRST_DAY = datetime.date(2023, 1, 2)  # a Monday


def wine_path(path):
    return 'Z:' + str(path).replace('/', '\\')


def record(kind, made, follows, source):
    lines = ['dszip-Sicherungssatz, Format 1', f'Art: {kind}',
             f'Erstellt: {made:%Y-%m-%d} 21:30:00 +01:00']
    if follows:
        lines.append(f'Folgt auf: {follows}')
    lines += ['Unterordner: -r', f'Quelle: {source}']
    return ''.join(line + '\r\n' for line in lines).encode('ascii')


def make_template(template, source):
    shutil.rmtree(template, ignore_errors=True)
    template.mkdir(parents=True)
    previous = ''
    for night in range(ARCHIVES):
        day = FIRST_DAY + datetime.timedelta(days=night)
        name = f'{day:%Y%m%d}-0.zip'
        kind = 'voll' if day.weekday() == 6 or night == 0 else 'inkrementell'
        with zipfile.ZipFile(template / name, 'w') as archive:
            archive.writestr('Daten/nacht.txt', f'Nacht {night}\n' * 20)
            archive.comment = record(kind, day, previous if kind == 'inkrementell' else '', source)
        previous = name


def make_source(source):
    shutil.rmtree(source, ignore_errors=True)
    source.mkdir(parents=True)
    for n in range(20):
        (source / f'datei{n:02}.txt').write_text(f'Inhalt {n}\n' * 200)


def one_run(template, folder, source, rules):
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(template, folder)
    day = FIRST_DAY + datetime.timedelta(days=ARCHIVES)
    command = ['wine', str(dszip), 'a', '-mn', '-ai', *([f'-behalten:{rules}'] if rules else []),
               wine_path(folder / f'{day:%Y%m%d}-0.zip'), wine_path(source) + '\\*.*']
    start = time.monotonic()
    result = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, timeout=600)
    seconds = time.monotonic() - start
    left = len(list(folder.glob('*.zip')))
    return seconds, result.returncode, left


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    os.environ.update(WINEPREFIX=str(root / 'build' / 'wineprefix'), WINEDEBUG='-all',
                      WINEDLLOVERRIDES='mscoree,mshtml=', LANG='C.UTF-8', LC_ALL='C.UTF-8')
    if not dszip.exists():
        sys.exit(f'{dszip} is missing: cmake --preset win32 && cmake --build --preset win32')
    source = bench / 'sets-source'
    template = bench / 'sets-template'
    folder = bench / 'sets'
    make_source(source)
    make_template(template, wine_path(source) + '\\*.*')
    subprocess.run(['wine', str(dszip)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=120)  # the Wine server up before the first timed run
    print(f'load average {os.getloadavg()[0]:.1f} before the runs; {runs} runs each, '
          f'{ARCHIVES} archives in the folder', flush=True)
    variants = {'no -behalten': '', '-behalten:1000': '1000', '-behalten:7T,4W,12M': '7T,4W,12M'}
    times = {name: [] for name in variants}
    outcome = {}
    for _ in range(runs):
        for name, rules in variants.items():  # in turn, so that a busy moment hits all alike
            seconds, code, left = one_run(template, folder, source, rules)
            times[name].append(seconds)
            outcome[name] = (code, left)
    base = statistics.median(times['no -behalten'])
    print('| Run | Median s | Added s | Exit code | Archives left |')
    print('|---|--:|--:|--:|--:|')
    for name in variants:
        median = statistics.median(times[name])
        code, left = outcome[name]
        print(f'| {name} | {median:.2f} | {median - base:+.2f} | {code} | {left} |')
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
