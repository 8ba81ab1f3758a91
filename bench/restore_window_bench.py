#!/usr/bin/env python3
"""How long the restore window takes to show a folder of many archives under Wine: a set of
one full and N-1 incremental archives (their records as dszip writes them, one small file
each), opened RUNS times; prints each run and the median. Needs DISPLAY and the Wine
environment of scripts/setup.sh.

restore_window_bench.py --driver build/win32/restore_driver.exe --work DIR [--archives 1000] [--runs 5]
"""
import argparse
import statistics
import subprocess
import sys
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / 'tests' / 'dszip' / 'e2e'))
import set_archives  # noqa: E402


def make_folder(folder, archives):
    folder.mkdir(parents=True, exist_ok=True)
    before = ''
    for n in range(archives):
        name = f'20240301-{n}.zip'
        made = f'2024-03-01 {n // 3600 % 24:02d}:{n // 60 % 60:02d}:{n % 60:02d}'
        kind = 'voll' if n == 0 else 'inkrementell'
        with zipfile.ZipFile(folder / name, 'w') as archive:
            archive.writestr(f'Daten/datei{n}.txt', f'Nacht {n}')
            archive.comment = set_archives.record(kind, made, 'C:\\Daten', before if n else '')
        before = name


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--driver', type=Path, required=True)
    parser.add_argument('--work', type=Path, required=True)
    parser.add_argument('--archives', type=int, default=1000)
    parser.add_argument('--runs', type=int, default=5)
    args = parser.parse_args()
    folder = args.work.resolve() / f'{args.archives}-archive'
    if not folder.exists():
        make_folder(folder, args.archives)
    windows_folder = 'Z:' + str(folder).replace('/', '\\') + '\\'
    seconds = []
    for run in range(args.runs):
        output = subprocess.run(['wine', str(args.driver), '--time-opening', windows_folder,
                                 str(args.archives + 1)], capture_output=True, text=True,
                                timeout=120).stdout
        print(f'run {run + 1}: {output.strip()}')
        seconds.append(float(output.split(' in ')[1].split(' s')[0]))
    print(f'{args.archives} archives: median {statistics.median(seconds):.2f} s over {args.runs} runs')


if __name__ == '__main__':
    main()
