#!/usr/bin/env python3
"""dszip against the common ZIP writers on one mixed corpus of about 300 MB.

bench/dszip_bench.py [RUNS]   (default 3; needs build/win32/dszip.exe, Wine, zip, 7zz, bsdtar)

The corpus (build/bench/corpus, made once, the same on every machine): thousands of small
text files, a few large binaries and one file over 100 MB. Each writer runs RUNS times in
turn; the table shows the median wall time, the throughput it gives, the archive's size and
the peak memory of the writing process (for dszip, the Wine process that runs it, Wine's own
libraries included). Prints figures; judges nothing.
"""
import os
import random
import statistics
import struct
import subprocess
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
bench = root / 'build' / 'bench'
corpus = bench / 'corpus'
dszip = root / 'build' / 'win32' / 'dszip.exe'
CORPUS_VERSION = '1'
MB = 1_000_000

WORDS = ('der die das und mit für über nach Rechnung Kunde Lieferung Größe März Prüfung Ergebnis '
         'Summe Betrag Straße Auftrag Datensicherung Archiv Bericht Übersicht Angebot Termin '
         'Zahlung offen erledigt bitte danke 17 2024 12,50 EUR Nr. Seite').split()


def make_corpus():
    stamp = corpus / '.made'
    if stamp.exists() and stamp.read_text() == CORPUS_VERSION:
        return
    print('Making the corpus (once) ...', flush=True)
    subprocess.run(['rm', '-rf', str(corpus)], check=True)
    rng = random.Random(2024)
    pool = ' '.join(rng.choice(WORDS) for _ in range(800_000)).encode()

    def prose(size):
        start = rng.randrange(len(pool) - size)
        return pool[start:start + size]

    for n in range(4000):  # letters, notes, tables: about 48 MB
        path = corpus / 'Dokumente' / f'Ordner {n // 100:02}' / f'Dokument {n:04}.txt'
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(prose(rng.randrange(200, 24_000)))
    binaries = corpus / 'Binär'
    binaries.mkdir()
    (binaries / 'komprimiert.bin').write_bytes(rng.randbytes(24 << 20))
    for n in range(3):  # records of a database: numbers, codes and some noise
        records = bytearray()
        for i in range((24 << 20) // 64):
            records += struct.pack('<IqdH', i, 1_700_000_000 + i * 37, i * 0.25 + rng.random(),
                                   rng.randrange(40)) + rng.choice(WORDS).encode().ljust(20) \
                + rng.randbytes(14)
        (binaries / f'datenbank {n}.db').write_bytes(records)
    with open(corpus / 'protokoll.log', 'wb') as log:  # one file over 100 MB
        written, second = 0, 0
        while written < 150 * MB:
            second += rng.randrange(3)
            line = b'2024-03-05 %02d:%02d:%02d %s [%s] %s\n' % (
                second // 3600 % 24, second // 60 % 60, second % 60,
                rng.choice((b'INFO', b'INFO', b'INFO', b'WARN', b'FEHLER')),
                rng.choice((b'Sicherung', b'Netz', b'Datenbank', b'Druck')), prose(rng.randrange(30, 160)))
            log.write(line)
            written += len(line)
    stamp.write_text(CORPUS_VERSION)


def corpus_bytes():
    return sum(f.stat().st_size for f in corpus.rglob('*') if f.is_file() and f.name != '.made')


def wine_path(path):
    return 'Z:' + str(path).replace('/', '\\')


def writers(out):
    return {
        'dszip -mn (Wine)': (['wine', str(dszip), 'a', '-mn', '-ai', wine_path(out / 'dszip.zip'),
                              wine_path(corpus) + '\\*.*'], out / 'dszip.zip'),
        'zip -6': (['zip', '-6', '-r', '-q', str(out / 'zip.zip'), '.'], out / 'zip.zip'),
        '7zz -tzip -mx5': (['7zz', 'a', '-tzip', '-mx5', '-bso0', '-bsp0', str(out / '7zz.zip'), '*'],
                           out / '7zz.zip'),
        'bsdtar zip': (['bsdtar', '--format', 'zip', '-cf', str(out / 'bsdtar.zip'), '.'],
                       out / 'bsdtar.zip'),
    }


def timed(command, archive):
    """Wall seconds, processor seconds and peak resident memory in MB of one run."""
    archive.unlink(missing_ok=True)
    figures = bench / 'time.txt'
    subprocess.run(['/usr/bin/time', '-f', '%e %U %S %M', '-o', str(figures), *command], cwd=corpus,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True, timeout=1800)
    seconds, user, system, kilobytes = figures.read_text().split()[-4:]
    return float(seconds), float(user) + float(system), int(kilobytes) / 1000


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    os.environ.update(WINEPREFIX=str(root / 'build' / 'wineprefix'), WINEDEBUG='-all',
                      WINEDLLOVERRIDES='mscoree,mshtml=', LANG='C.UTF-8', LC_ALL='C.UTF-8')
    if not dszip.exists():
        sys.exit(f'{dszip} is missing: cmake --preset win32 && cmake --build --preset win32')
    make_corpus()
    background = os.getloadavg()[0]  # other work on the machine slows every writer
    size = corpus_bytes()
    out = bench / 'out'
    out.mkdir(exist_ok=True)
    times, processor, memory = {}, {}, {}
    for run in range(runs):
        print(f'run {run + 1} of {runs} ...', flush=True)
        # A first Wine process starts the Wine server, which then stays for a few seconds.
        subprocess.run(['wine', str(dszip)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        for name, (command, archive) in writers(out).items():
            seconds, cpu, megabytes = timed(command, archive)
            times.setdefault(name, []).append(seconds)
            processor.setdefault(name, []).append(cpu)
            memory[name] = max(memory.get(name, 0), megabytes)
    archives = {name: archive.stat().st_size for name, (_, archive) in writers(out).items()}
    checked = subprocess.run(['7zz', 't', str(out / 'dszip.zip')], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, timeout=600).returncode == 0

    median = {name: statistics.median(values) for name, values in times.items()}
    speed = {name: size / MB / seconds for name, seconds in median.items()}
    ours = 'dszip -mn (Wine)'
    best_other = max((name for name in speed if name != ours), key=speed.get)
    print(f'\nCorpus: {size / MB:.0f} MB in {sum(1 for f in corpus.rglob("*") if f.is_file()) - 1} '
          f'files; {os.cpu_count()} cores, load average {background:.1f} before the runs; median of {runs} '
          f'runs each (CPU s: user and system time of the writer).\n')
    print(f'| {"Writer":<18} | {"Time s":>6} | {"CPU s":>5} | {"MB/s":>6} | {"vs dszip":>8} | {"Archive MB":>10} '
          f'| {"vs zip -6":>9} | {"Peak MB":>7} |')
    print(f'|{"-" * 20}|{"-" * 7}:|{"-" * 6}:|{"-" * 7}:|{"-" * 9}:|{"-" * 11}:|{"-" * 10}:|{"-" * 8}:|')
    for name in median:
        print(f'| {name:<18} | {median[name]:6.1f} | {statistics.median(processor[name]):5.1f} '
              f'| {speed[name]:6.1f} | {speed[name] / speed[ours]:7.2f}x '
              f'| {archives[name] / MB:10.1f} | {archives[name] / archives["zip -6"] * 100 - 100:+8.1f}% '
              f'| {memory[name]:7.0f} |')
    print(f'\ndszip archive tested by 7zz: {"ok" if checked else "FAILED"}')
    ratio = speed[ours] / speed[best_other]
    print(f'Goal 1, throughput >= 1.5x the best other ({best_other}): {ratio:.2f}x, '
          f'{"met" if ratio >= 1.5 else "not met"}')
    over = archives[ours] / archives['zip -6'] * 100 - 100
    print(f'Goal 2, archive <= 1 % over zip -6: {over:+.2f} %, {"met" if over <= 1 else "not met"}')


if __name__ == '__main__':
    main()
