#!/usr/bin/env python3
"""dszip against the common ZIP programs: writing two corpora, then extracting and testing.

bench/dszip_bench.py [RUNS] [restore|kette|weiter]   (default 3; needs build/win32/dszip.exe, Wine, zip,
unzip, 7zz, bsdtar; with `restore`, only the extracting and testing; with `kette`, only x -kette over a
chain of 30 archives of the first corpus against x -o+ over each in turn; with `weiter`, on from the
second corpus)

Two corpora (under build/bench, made once): a mixed one of about 300 MB (thousands of small
text files, a few large binaries, one file over 100 MB), the same on every machine, and one of
this system's own program files and shared libraries, a few thousand small text files from its
documentation and a log of about 60 MB. Each program runs RUNS times in turn; the tables show
the median wall time, the throughput it gives, the archive's size and the peak memory of the
process (for dszip, the Wine process that runs it, Wine's own libraries included). Under Wine,
every file operation is done by the Wine server, a process of its own: its processor time is
shown beside dszip's. Then
dszip's archive of the first corpus is extracted and tested by dszip x and t and by 7zz,
unzip and bsdtar, extracted once to the disk and once to memory (tmpfs, when /dev/shm is
there). Prints figures; judges nothing.

Set in the environment, more rows in the same runs: DSZIP_CODES, the compression codes dszip writes
with (default n; e.g. s,n,x); DSZIP_BEFORE, another build's dszip.exe (main's, say), run beside this
one with the same codes and restoring the same archive; SEVENZA_EXE, a Windows console build of 7-Zip,
run under the same Wine.
"""
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import zipfile
from pathlib import Path

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / 'tests' / 'dszip' / 'e2e'))
import set_archives  # noqa: E402  (the records a and m write, shared with the checks)
bench = root / 'build' / 'bench'
corpus = bench / 'corpus'
system_corpus = bench / 'corpus-system'
dszip = root / 'build' / 'win32' / 'dszip.exe'
CORPUS_VERSION = '1'
codes = os.environ.get('DSZIP_CODES', 'n').split(',')
if 'n' not in codes:  # the goals are about -mn
    codes.insert(0, 'n')
before = os.environ.get('DSZIP_BEFORE')
sevenza = os.environ.get('SEVENZA_EXE')
NATIVE_PEERS = ('zip -6', '7zz -tzip -mx5', 'bsdtar zip')
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


def corpus_bytes(folder):
    return sum(f.stat().st_size for f in folder.rglob('*') if f.is_file() and f.name != '.made')


def make_system_corpus():
    """Real program files and libraries, small documentation texts and a 60 MB log: data unlike
    the first corpus, with many files of middling size that Deflate shrinks less."""
    stamp = system_corpus / '.made'
    if stamp.exists() and stamp.read_text() == CORPUS_VERSION:
        return
    print('Making the system corpus (once) ...', flush=True)
    shutil.rmtree(system_corpus, ignore_errors=True)
    rng = random.Random(2026)
    programs = sorted(p for folder in ('/usr/bin', '/usr/lib/x86_64-linux-gnu') for p in Path(folder).iterdir()
                      if p.is_file() and not p.is_symlink() and 20_000 < p.stat().st_size < 8_000_000)
    for n, path in enumerate(rng.sample(programs, min(400, len(programs)))):
        target = system_corpus / 'Programme' / f'{n // 50:02}' / path.name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(path, target)
    texts = sorted(p for p in Path('/usr/share/doc').rglob('*') if p.is_file() and not p.is_symlink()
                   and p.stat().st_size < 64_000)
    for n, path in enumerate(rng.sample(texts, min(4000, len(texts)))):
        target = system_corpus / 'Texte' / f'{n // 200:02}' / f'{n:04} {path.name}'
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(path, target)
    with open(system_corpus / 'system.log', 'wb') as log:
        written, second = 0, 0
        while written < 60 * MB:
            second += rng.randrange(2)
            line = b'Mar  5 %02d:%02d:%02d host %s[%d]: %s %d\n' % (
                second // 3600 % 24, second // 60 % 60, second % 60,
                rng.choice((b'kernel', b'systemd', b'sshd', b'cron', b'backup')), rng.randrange(100, 40000),
                rng.choice((b'session opened for user root', b'Started Daily apt activities.',
                            b'Accepted publickey for admin from 10.0.0.7', b'eth0: link up, 1000Mbps',
                            b'pam_unix(cron:session): session closed')), rng.randrange(1 << 20))
            log.write(line)
            written += len(line)
    stamp.write_text(CORPUS_VERSION)


def wine_path(path):
    return 'Z:' + str(path).replace('/', '\\')


def dszip_builds():
    """This build, and the one to compare with when given: (suffix of the row's name, program)."""
    return [('', dszip)] + ([(' before', Path(before))] if before else [])


def writers(out, folder):
    ours = {}
    for code in codes:
        for suffix, program in dszip_builds():
            archive = out / f'dszip-{code}{suffix.strip()}.zip'
            ours[f'dszip -m{code}{suffix} (Wine)'] = (
                ['wine', str(program), 'a', f'-m{code}', '-ai', wine_path(archive), wine_path(folder) + '\\*.*'],
                archive)
    if sevenza:
        ours['7za -tzip -mx5 (Wine)'] = (['wine', sevenza, 'a', '-tzip', '-mx5', '-bso0', '-bsp0',
                                          wine_path(out / '7za.zip'), '*'], out / '7za.zip')
    return ours | {
        'zip -6': (['zip', '-6', '-r', '-q', str(out / 'zip.zip'), '.'], out / 'zip.zip'),
        '7zz -tzip -mx5': (['7zz', 'a', '-tzip', '-mx5', '-bso0', '-bsp0', str(out / '7zz.zip'), '*'],
                           out / '7zz.zip'),
        'bsdtar zip': (['bsdtar', '--format', 'zip', '-cf', str(out / 'bsdtar.zip'), '.'],
                       out / 'bsdtar.zip'),
    }


def extractors(archive, target):
    """What each program extracts; the target folder is made empty before each run."""
    return {f'dszip x{suffix} (Wine)': ['wine', str(program), 'x', wine_path(archive), wine_path(target) + '\\']
            for suffix, program in dszip_builds()} | {
        '7zz x': ['7zz', 'x', '-y', '-bso0', '-bsp0', f'-o{target}', str(archive)],
        'unzip': ['unzip', '-q', str(archive), '-d', str(target)],
        'bsdtar -x': ['bsdtar', '-xf', str(archive), '-C', str(target)],
    }


def testers(archive):
    return {f'dszip t{suffix} (Wine)': ['wine', str(program), 't', wine_path(archive)]
            for suffix, program in dszip_builds()} | {
        '7zz t': ['7zz', 't', '-bso0', '-bsp0', str(archive)],
        'unzip -t': ['unzip', '-tq', str(archive)],
    }


def extract_targets():
    """Where the extractors write: the disk the benchmark lies on, and memory (tmpfs). On the
    disk every program spends seconds of system time creating the thousands of small files,
    more the more files were deleted there shortly before; in memory the programs themselves
    are compared."""
    targets = {'disk': bench / 'extracted'}
    shm = Path('/dev/shm')
    if shm.is_dir() and os.access(shm, os.W_OK):
        targets['tmpfs'] = shm / f'dszip-bench-{os.getpid()}'
    return targets


def wine_server_seconds():
    """Processor seconds of the Wine server of this prefix so far; 0 when none runs."""
    for stat in Path('/proc').glob('[0-9]*/stat'):
        try:
            if 'wineserver' not in stat.read_text().split(')')[0]:
                continue
            environment = (stat.parent / 'environ').read_bytes().split(b'\0')
            if b'WINEPREFIX=' + os.environ['WINEPREFIX'].encode() in environment:
                fields = stat.read_text().rsplit(')', 1)[1].split()
                return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')
        except OSError:
            continue
    return 0.0


def timed(command, archive, folder=corpus):
    """Wall seconds, processor seconds (the Wine server's included) and peak resident memory
    in MB of one run. `archive` is a file to remove or a folder to empty before it."""
    if archive.is_dir():
        shutil.rmtree(archive)
        archive.mkdir()
    if archive.is_file():
        archive.unlink()
    figures = bench / 'time.txt'
    if command[0] == 'wine':
        start_wine()  # its server ends a few seconds after its last program: every Wine run finds it up
    server = wine_server_seconds()
    subprocess.run(['/usr/bin/time', '-f', '%e %U %S %M', '-o', str(figures), *command], cwd=folder,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True, timeout=1800)
    server = max(0.0, wine_server_seconds() - server) if command[0] == 'wine' else 0.0
    seconds, user, system, kilobytes = figures.read_text().split()[-4:]
    return float(seconds), float(user) + float(system) + server, int(kilobytes) / 1000


def start_wine():
    # A first Wine process starts the Wine server, which then stays for a few seconds.
    subprocess.run(['wine', str(dszip)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


def write_table(folder, runs, background):
    """Times every writer on one corpus and prints the table; returns the output folder."""
    size = corpus_bytes(folder)
    out = bench / f'out-{folder.name}'
    out.mkdir(exist_ok=True)
    times, processor, memory = {}, {}, {}
    for run in range(runs):
        print(f'{folder.name}: run {run + 1} of {runs} ...', flush=True)
        start_wine()
        for name, (command, archive) in writers(out, folder).items():
            seconds, cpu, megabytes = timed(command, archive, folder)
            times.setdefault(name, []).append(seconds)
            processor.setdefault(name, []).append(cpu)
            memory[name] = max(memory.get(name, 0), megabytes)
    archives = {name: archive.stat().st_size for name, (_, archive) in writers(out, folder).items()}
    checked = subprocess.run(['7zz', 't', str(out / 'dszip-n.zip')], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, timeout=600).returncode == 0

    median = {name: statistics.median(values) for name, values in times.items()}
    speed = {name: size / MB / seconds for name, seconds in median.items()}
    ours = 'dszip -mn (Wine)'
    best_other = max(NATIVE_PEERS, key=speed.get)
    print(f'\nCorpus {folder.name}: {size / MB:.0f} MB in {sum(1 for f in folder.rglob("*") if f.is_file()) - 1} '
          f'files; {os.cpu_count()} cores, load average {background:.1f} before the runs; median of {runs} '
          f'runs each (CPU s: user and system time of the writer, under Wine its server\'s included).\n')
    print(f'| {"Writer":<26} | {"Time s":>6} | {"CPU s":>5} | {"MB/s":>6} | {"vs dszip":>8} | {"Archive MB":>10} '
          f'| {"vs zip -6":>9} | {"Peak MB":>7} |')
    print(f'|{"-" * 28}|{"-" * 7}:|{"-" * 6}:|{"-" * 7}:|{"-" * 9}:|{"-" * 11}:|{"-" * 10}:|{"-" * 8}:|')
    for name in median:
        print(f'| {name:<26} | {median[name]:6.1f} | {statistics.median(processor[name]):5.1f} '
              f'| {speed[name]:6.1f} | {speed[name] / speed[ours]:7.2f}x '
              f'| {archives[name] / MB:10.1f} | {archives[name] / archives["zip -6"] * 100 - 100:+8.1f}% '
              f'| {memory[name]:7.0f} |')
    print(f'\ndszip archive tested by 7zz: {"ok" if checked else "FAILED"}')
    ratio = speed[ours] / speed[best_other]
    print(f'Goal 1, throughput >= 2.5x the best native peer ({best_other}): {ratio:.2f}x, '
          f'{"met" if ratio >= 2.5 else "not met"}')
    over = archives[ours] / archives['zip -6']
    print(f'Goal 2, archive <= 1.00x zip -6: {over:.4f}x, {"met" if over <= 1 else "not met"}')
    for code in codes if before else []:
        now, then = f'dszip -m{code} (Wine)', f'dszip -m{code} before (Wine)'
        print(f'-m{code} against the build before: {speed[now] / speed[then]:.2f}x the speed, '
              f'{archives[now] / archives[then]:.4f}x the size')
    print()
    return out


def read_table(archive, runs, size):
    """Extracts (on the disk and in memory) and tests one archive with every reader and prints
    the table."""
    targets = extract_targets()
    for target in targets.values():
        target.mkdir(exist_ok=True)
    times, processor, memory = {}, {}, {}
    for run in range(runs):
        print(f'restore: run {run + 1} of {runs} ...', flush=True)
        start_wine()
        commands = [(f'{name}, {place}', command, target) for place, target in targets.items()
                    for name, command in extractors(archive, target).items()]
        commands += [(name, command, targets['disk']) for name, command in testers(archive).items()]
        for name, command, target in commands:
            seconds, cpu, megabytes = timed(command, target, bench)
            times.setdefault(name, []).append(seconds)
            processor.setdefault(name, []).append(cpu)
            memory[name] = max(memory.get(name, 0), megabytes)
    for target in targets.values():
        shutil.rmtree(target)
    median = {name: statistics.median(values) for name, values in times.items()}
    print(f'\nRestoring {archive.name} ({size / MB:.0f} MB of data); {os.cpu_count()} cores, load average '
          f'{os.getloadavg()[0]:.1f} after the runs; median of {runs} runs each (CPU s: user and system time, '
          f'under Wine its server\'s included). disk: extracted below {targets["disk"].relative_to(root)}; '
          f'tmpfs: to memory.\n')
    print(f'| {"Reader":<23} | {"Time s":>6} | {"CPU s":>5} | {"MB/s":>6} | {"Peak MB":>7} |')
    print(f'|{"-" * 25}|{"-" * 7}:|{"-" * 6}:|{"-" * 7}:|{"-" * 8}:|')
    for name in median:
        print(f'| {name:<23} | {median[name]:6.1f} | {statistics.median(processor[name]):5.1f} '
              f'| {size / MB / median[name]:6.1f} | {memory[name]:7.0f} |')
    goals = [(f'dszip x (Wine), {place}', tuple(f'{other}, {place}' for other in ('7zz x', 'unzip', 'bsdtar -x')))
             for place in targets]
    goals.append(('dszip t (Wine)', ('7zz t', 'unzip -t')))
    for name in [name for name in median if ' before ' in name]:
        print(f'{name.replace(" before", "")} against the build before: '
              f'{median[name] / median[name.replace(" before", "")]:.2f}x the speed')
    for ours, others in goals:
        best = min(others, key=median.get)
        ratio = median[best] / median[ours]
        print(f'Goal, {ours} >= 1.5x the best other ({best}): {ratio:.2f}x, {"met" if ratio >= 1.5 else "not met"}; '
              f'peak {memory[ours]:.0f} MB, {"under" if memory[ours] < 64 else "not under"} 64 MB')


CHAIN_NIGHTS = 30
CHAIN_SOURCE = 'Z:\\corpus\\*.*'  # what the records name; only its sameness counts
def make_chain(folder):
    """A set of CHAIN_NIGHTS archives of the corpus: dszip's full archive, then nights written by
    zipfile, each changing 40 documents, adding 5 and deleting 5. Returns the names, oldest first,
    and the last night's files: name -> content where a night wrote it, None where the corpus holds it."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    names = [f'202403{night + 1:02}-0.zip' for night in range(CHAIN_NIGHTS)]
    subprocess.run(['wine', str(dszip), 'a', '-mn', '-ai', wine_path(folder / names[0]), wine_path(corpus) + '\\*.*'],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                   timeout=1800)
    set_archives.add_record(folder / names[0], set_archives.record('voll', '2024-03-01 21:30:00', CHAIN_SOURCE))
    state = set_archives.tree_state(corpus)
    del state['.made']
    files = dict.fromkeys(state)
    rng = random.Random(30)
    documents = sorted(name for name in state if name.startswith('Dokumente/') and not name.endswith('/'))
    for night in range(1, CHAIN_NIGHTS):
        ticks = set_archives.TICKS_1970 + (1_709_000_000 + night * 86400) * 10_000_000
        changed = rng.sample(documents, 40) + [f'Dokumente/Neu/Nacht {night:02} {n}.txt' for n in range(5)]
        for name in rng.sample([d for d in documents if d not in changed], 5):
            documents.remove(name)
            del state[name], files[name]
        state['Dokumente/Neu/'] = (0, ticks)
        with zipfile.ZipFile(folder / names[night], 'w', zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
            for name in changed:
                data = ' '.join(rng.choice(WORDS) for _ in range(rng.randrange(50, 3000))).encode()
                archive.writestr(zipfile.ZipInfo(name, (2024, 3, night + 1, 21, 0, 0)), data, zipfile.ZIP_DEFLATED)
                state[name], files[name] = (len(data), ticks), data
                if name not in documents:
                    documents.append(name)
            archive.writestr(set_archives.STATE_LIST, set_archives.state_list(state), zipfile.ZIP_DEFLATED)
            archive.comment = set_archives.record('inkrementell', f'2024-03-{night + 1:02} 21:30:00', CHAIN_SOURCE,
                                                  names[night - 1])
    return names, {name: data for name, data in files.items() if not name.endswith('/')}


def chain_checked(target, expected):
    """Whether the restored tree is the last night's: its files, and each night's content."""
    found = {p.relative_to(target).as_posix() for p in target.rglob('*') if p.is_file()}
    return found == set(expected) and all(
        data is None or (target / name).read_bytes() == data for name, data in expected.items())


def chain_table(runs):
    """x -kette of the last night against x -o+ over each archive of the chain in turn."""
    folder, target = bench / 'kette', bench / 'extracted-kette'
    names, expected = make_chain(folder)
    size = sum((folder / name).stat().st_size for name in names)
    whole = ['wine', str(dszip), 'x', '-kette', wine_path(folder / names[-1]), wine_path(target) + '\\']
    each = [['wine', str(dszip), 'x', '-o+', wine_path(folder / name), wine_path(target) + '\\'] for name in names]
    times, processor, checked = {}, {}, {}
    background = os.getloadavg()[0]
    for run in range(runs):
        print(f'chain: run {run + 1} of {runs} ...', flush=True)
        for way, commands in (('dszip x -kette (Wine)', [whole]), (f'dszip x -o+, {len(names)} in turn (Wine)', each)):
            shutil.rmtree(target, ignore_errors=True)
            target.mkdir()
            figures = [timed(command, bench / 'none', bench) for command in commands]
            times.setdefault(way, []).append(sum(f[0] for f in figures))
            processor.setdefault(way, []).append(sum(f[1] for f in figures))
            checked[way] = chain_checked(target, expected)
    shutil.rmtree(target)
    print(f'\nRestoring the last night of a chain of {len(names)} archives ({size / MB:.0f} MB): a full of the '
          f'corpus, then nights of 45 changed or new and 5 deleted documents; {os.cpu_count()} cores, load '
          f'average {background:.1f} before and {os.getloadavg()[0]:.1f} after the runs; median of {runs} runs '
          f'(CPU s: user and system time, the Wine server\'s included).\n')
    print(f'| {"Way":<34} | {"Time s":>6} | {"CPU s":>5} | {"Tree of the night":<17} |')
    print(f'|{"-" * 36}|{"-" * 7}:|{"-" * 6}:|{"-" * 19}|')
    for way, values in times.items():
        print(f'| {way:<34} | {statistics.median(values):6.1f} | {statistics.median(processor[way]):5.1f} '
              f'| {"exact" if checked[way] else "differs":<17} |')


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    os.environ.update(WINEPREFIX=str(root / 'build' / 'wineprefix'), WINEDEBUG='-all',
                      WINEDLLOVERRIDES='mscoree,mshtml=', LANG='C.UTF-8', LC_ALL='C.UTF-8')
    if not dszip.exists():
        sys.exit(f'{dszip} is missing: cmake --preset win32 && cmake --build --preset win32')
    make_corpus()
    if 'kette' in sys.argv[2:]:
        chain_table(runs)
        return
    make_system_corpus()
    background = os.getloadavg()[0]  # other work on the machine slows every program
    if 'restore' in sys.argv[2:]:
        out = bench / f'out-{corpus.name}'
        out.mkdir(exist_ok=True)
        print(f'load average {background:.1f} before the runs', flush=True)
        start_wine()
        timed(writers(out, corpus)['dszip -mn (Wine)'][0], out / 'dszip-n.zip')
        read_table(out / 'dszip-n.zip', runs, corpus_bytes(corpus))
        return
    # `weiter`: on from the second corpus, the first one's archive kept from an earlier run.
    out = bench / f'out-{corpus.name}' if 'weiter' in sys.argv[2:] else write_table(corpus, runs, background)
    write_table(system_corpus, runs, background)
    read_table(out / 'dszip-n.zip', runs, corpus_bytes(corpus))


if __name__ == '__main__':
    main()
