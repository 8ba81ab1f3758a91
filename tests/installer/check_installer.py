#!/usr/bin/env python3
"""The installer as an administrator uses it, under Wine in a fresh prefix of its own: the
package's tables, a silent install, a backup by the installed programs, an upgrade that keeps
the user's settings, a refused downgrade, an uninstall, an upgrade in a folder chosen at the
first install, and the portable ZIP.

check_installer.py --dist DIR --programs DIR --examples DIR --work DIR

Needs DISPLAY (the window program runs); makes the prefix WORK/prefix anew and ends its
Wine server afterwards.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from datetime import date
from pathlib import Path

RUN_SECONDS = 120  # the longest any one step may take
UPGRADE_CODE = '{89674C24-131D-4E5E-BA0B-DB725F738938}'
EVENT_SOURCE = r'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\dszip'
LAUNCHER_EVENT_SOURCE = r'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Datensicherung'
REMEMBERED = r'HKLM\Software\Datensicherung'
CHOSEN_FOLDER = r'C:\Werkzeuge\Daten Sicherung'
APPLICATION = r'HKLM\Software\Classes\Applications\dszip.exe'
PROG_ID = r'HKLM\Software\Classes\Datensicherung.dszip.zip'
RESTORE_APPLICATION = r'HKLM\Software\Classes\Applications\Wiederherstellen.exe'
RESTORE_PROG_ID = r'HKLM\Software\Classes\Datensicherung.Wiederherstellen.zip'
RESTORE_SHORTCUT = '**/Start Menu/Programs/Datensicherung wiederherstellen.lnk'
OPEN_WITH = r'HKLM\Software\Classes\.zip\OpenWithProgids'
UNINSTALL = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
DOWNGRADE_MESSAGE = ('Eine neuere Version von Datensicherung ist bereits installiert. '
                     'Bitte deinstallieren Sie diese zuerst.')

problems = []


def check(condition, what):
    if not condition:
        problems.append(what)
        print('  FAILED:', what)
    return condition


def run(command, **options):
    # Output to a file, not a pipe: Wine's helper processes inherit it and may outlive the call.
    with tempfile.TemporaryFile() as output:
        result = subprocess.run([str(part) for part in command], stdin=subprocess.DEVNULL, stdout=output,
                                stderr=subprocess.STDOUT, timeout=RUN_SECONDS, **options)
        output.seek(0)
        return result.returncode, output.read().decode('utf-8', 'replace')


def win(path):
    return 'Z:' + str(Path(path).absolute()).replace('/', '\\')


def msiexec(action, msi, name, expected=(0,), properties=()):
    """msiexec with /qn and a verbose log, which is shown when the exit code is not as expected."""
    log = args.work / f'{name}.log'
    code, output = run(['wine', 'msiexec', action, win(msi), '/qn', '/l*v', win(log), *properties])
    print(f'  msiexec {action} {msi.name} -> {code}')
    if not check(code in expected, f'{name}: exit code {code}'):
        text = log.read_bytes().decode('utf-8', 'replace') if log.exists() else '(no log)'
        print(f'--- {log}\n{text[-3000:]}\n{output[-1000:]}')
    return code


def registry(key):
    """The values under a key, as {name: (type, data)}; None when the key is not there."""
    code, output = run(['wine', 'reg', 'query', key])
    if code != 0:
        return None
    values = {}
    for line in output.splitlines():
        match = re.match(r'^    (.*?)    (REG_\w+)    ?(.*?)\r?$', line)
        if match:
            values[match.group(1)] = (match.group(2), match.group(3))
    return values


def products():
    """The DisplayVersion of every installed product named Datensicherung."""
    _, output = run(['wine', 'reg', 'query', UNINSTALL, '/s'])
    entries = output.replace('\r\n', '\n').split('\n\n')
    return [version for entry in entries if re.search(r'DisplayName\s+REG_SZ\s+Datensicherung$', entry, re.M)
            for version in re.findall(r'DisplayVersion\s+REG_SZ\s+(\S+)', entry)]


def table(msi, name):
    code, output = run(['msiinfo', 'export', msi, name])
    return [line.split('\t') for line in output.splitlines()[3:]] if code == 0 else []


def with_keys(text, section, values):
    """The INI text with keys of one section set; missing keys, and the section, are added."""
    lines = text.split('\r\n')
    header = next((i for i, line in enumerate(lines) if line.strip().lower() == f'[{section.lower()}]'), None)
    if header is None:
        lines.append(f'[{section}]')
        header = len(lines) - 1
    end = next((i for i in range(header + 1, len(lines)) if lines[i].strip().startswith('[')), len(lines))
    missing = dict(values)
    for i in range(header + 1, end):
        key = lines[i].split('=', 1)[0].strip()
        if '=' in lines[i] and not lines[i].lstrip().startswith(';') and key in missing:
            lines[i] = f'{key}={missing.pop(key)}'
    lines[end:end] = [f'{key}={value}' for key, value in missing.items()]
    return '\r\n'.join(lines)


# --- the steps ------------------------------------------------------------------------------

def check_tables(msi, version):
    print(f'tables of {msi.name}')
    properties = dict(row[:2] for row in table(msi, 'Property'))
    check(re.fullmatch(r'\{[0-9A-F-]{36}\}', properties.get('ProductCode', '')), 'no product code')
    check(properties.get('UpgradeCode') == UPGRADE_CODE, f'upgrade code {properties.get("UpgradeCode")}')
    check(properties.get('ProductVersion') == version, f'version {properties.get("ProductVersion")}')
    check(properties.get('ALLUSERS') == '1', 'not a per-machine package')
    _, summary = run(['msiinfo', 'suminfo', msi])
    check('Template: Intel;' in summary, f'not a 32-bit package:\n{summary}')
    check(['INSTALLDIR', 'ProgramFilesFolder', 'Datensicherung'] in table(msi, 'Directory'),
          'not installed into the 32-bit programs folder')
    settings = [row for row in table(msi, 'Component') if row[0] == 'Settings']
    check(settings and int(settings[0][3]) & 144 == 144, f'settings not permanent and kept: {settings}')
    locks = table(msi, 'MsiLockPermissionsEx')
    check(any(row[1:3] == ['Datensicherung.ini', 'File'] and '(A;;FRFW;;;BU)' in row[3] for row in locks),
          f'users may not write the settings file: {locks}')
    check(['NOT WIX_DOWNGRADE_DETECTED', DOWNGRADE_MESSAGE] in table(msi, 'LaunchCondition'), 'downgrades not refused')
    for program in ('dszip.exe', 'Datensicherung.exe'):
        check(any(row[3] == 'EventMessageFile' and row[4] == f'#%[#{program}]' for row in table(msi, 'Registry')),
              f'the event message file {program} is no REG_EXPAND_SZ')
    check(['INSTALLDIR', 'RememberedFolder'] in table(msi, 'AppSearch'), 'the chosen folder is not looked up')
    check(any(row[0] == 'RememberedFolder' and row[2] == 'SOFTWARE\\Datensicherung' and row[3] == 'InstallDir'
              for row in table(msi, 'RegLocator')), f'RegLocator: {table(msi, "RegLocator")}')
    return properties.get('ProductCode')


def check_installed(folder, version):
    print('installed')
    drive = folder.parents[1]
    for name in ('Datensicherung.exe', 'dszip.exe', 'Wiederherstellen.exe'):
        check((folder / name).read_bytes() == (args.programs / name).read_bytes(), f'{name} not installed')
    check((folder / 'Datensicherung.ini').read_bytes() == (args.examples / 'Datensicherung.ini').read_bytes(),
          'the example settings are not installed')
    check(b'libdeflate' in (folder / 'Lizenzen.txt').read_bytes(), "libdeflate's licence is not installed")
    dszip = 'C:\\' + str(folder.relative_to(drive)).replace('/', '\\') + '\\dszip.exe'
    source = registry(EVENT_SOURCE) or {}
    check(source.get('EventMessageFile') == ('REG_EXPAND_SZ', dszip)
          and source.get('TypesSupported') == ('REG_DWORD', '0x7'), f'event source: {source}')
    launcher = registry(LAUNCHER_EVENT_SOURCE) or {}
    check(launcher.get('EventMessageFile') == ('REG_EXPAND_SZ', dszip[:-len('dszip.exe')] + 'Datensicherung.exe'),
          f'the launcher\'s event source: {launcher}')
    remembered = (registry(REMEMBERED) or {}).get('InstallDir', ('', ''))
    check(remembered == ('REG_SZ', dszip[:-len('dszip.exe')]), f'folder remembered: {remembered}')
    command = registry(APPLICATION + r'\shell\open\command') or {}
    check(command.get('(Default)', ('', ''))[1] == f'"{dszip}" "%1"', f'"Öffnen mit" command: {command}')
    check('FriendlyAppName' in (registry(APPLICATION) or {}), 'no FriendlyAppName')
    check('.zip' in (registry(APPLICATION + r'\SupportedTypes') or {}), 'no SupportedTypes .zip')
    check('Datensicherung.dszip.zip' in (registry(OPEN_WITH) or {}), 'not in OpenWithProgids of .zip')
    check((registry(PROG_ID + r'\shell\open\command') or {}).get('(Default)', ('', ''))[1] == f'"{dszip}" "%1"',
          'the ProgID opens nothing')
    default = (registry(r'HKLM\Software\Classes\.zip') or {}).get('(Default)', ('', ''))[1]
    check('Datensicherung' not in default, f'.zip taken over: {default}')
    check(any(drive.glob('**/Start Menu/Programs/Datensicherung.lnk')), 'no Start-menu entry')
    check_restore_window_installed(folder, drive)
    check(products() == [version], f'products registered: {products()}')


def check_restore_window_installed(folder, drive):
    restore = 'C:\\' + str(folder.relative_to(drive)).replace('/', '\\') + '\\Wiederherstellen.exe'
    for key in (RESTORE_APPLICATION, RESTORE_PROG_ID):
        command = (registry(key + r'\shell\open\command') or {}).get('(Default)', ('', ''))[1]
        check(command == f'"{restore}" "%1"', f'"Öffnen mit" of the restore window ({key}): {command}')
    check('.zip' in (registry(RESTORE_APPLICATION + r'\SupportedTypes') or {}),
          'the restore window has no SupportedTypes .zip')
    check('Datensicherung.Wiederherstellen.zip' in (registry(OPEN_WITH) or {}),
          'the restore window is not in OpenWithProgids of .zip')
    check(any(drive.glob(RESTORE_SHORTCUT)), 'no Start-menu entry "Datensicherung wiederherstellen"')


def backup(program, work, name):
    """A run as the task scheduler starts it, with job 0 pointed at a copy of the example data."""
    source, target = work / f'{name}-Daten', work / f'{name}-Sicherung'
    shutil.copytree(args.examples / 'Beispieldaten', source)
    target.mkdir()
    settings = (program.parent / 'Datensicherung.ini').read_bytes().decode('cp1252')
    settings = with_keys(settings, 'Backup', {'0': win(source) + '\\*.*'})
    settings = with_keys(settings, 'Ziel', {'0': win(target) + '\\'})
    (program.parent / 'Datensicherung.ini').write_bytes(settings.encode('cp1252'))
    environment = dict(os.environ, WINEDEBUG='err+eventlog,warn+eventlog,trace+eventlog')
    code, output = run(['wine', program, '/DIR:0', '/GO', '/WARTEN'], cwd=work, env=environment)
    archive = target / (date.today().strftime('%Y%m%d') + '-0.zip')
    print(f'  {name}: Datensicherung.exe /DIR:0 /GO /WARTEN -> {code}')
    if check(code == 0 and archive.exists(), f'{name}: exit code {code}, archive {archive.exists()}\n{output[-2000:]}'):
        ok, listing = run(['7zz', 't', archive])
        check(ok == 0, f'{name}: 7zz t failed\n{listing}')
        with zipfile.ZipFile(archive) as zip_file:
            for file in source.rglob('*'):
                if file.is_file():
                    stored = zip_file.read(str(file.relative_to(source)))
                    check(stored == file.read_bytes(), f'{name}: {file.name} differs')
    return output, archive


def check_run(folder):
    print('a backup by the installed programs')
    output, archive = backup(folder / 'Datensicherung.exe', args.work, 'installed')
    events = [line for line in output.splitlines() if 'eventlog:ReportEventW' in line and archive.name in line]
    if check(events, f'no event naming {archive.name}:\n{output[-2000:]}'):
        print(f'  {events[0][:150]}')


def check_upgrade(folder, next_msi, version, next_version):
    print('upgrade')
    settings = folder / 'Datensicherung.ini'
    text = settings.read_bytes().decode('cp1252')
    text = with_keys(text, 'Backup', {'3b': 'Nach dem Einbau', '3': 'C:\\Neu\\*.*'})
    text = with_keys(text, 'Security', {'1': 'GespeichertesKennwort'})
    settings.write_bytes(text.encode('cp1252'))
    before = settings.read_bytes()
    check(b'[Last]' in before, 'the run wrote no [Last]')
    msiexec('/i', next_msi, 'upgrade')
    check(settings.read_bytes() == before, 'the upgrade changed the settings file')
    check(products() == [next_version], f'after the upgrade: {products()}')
    print('downgrade')
    # 1603, the failed install; Wine hands on only its low byte. Its log leaves out the message.
    msiexec('/i', args.dist / f'Datensicherung-{version}.msi', 'downgrade', expected=(1603, 1603 & 0xFF))
    check(products() == [next_version] and (folder / 'dszip.exe').exists(), f'after the downgrade: {products()}')
    return before


def check_uninstall(folder, next_msi, settings):
    print('uninstall')
    drive = folder.parents[1]
    msiexec('/x', next_msi, 'uninstall')
    left = sorted(path.name for path in folder.iterdir()) if folder.exists() else []
    check(left == ['Datensicherung.ini', 'Datensicherung.ini.lock'] or left == ['Datensicherung.ini'],
          f'left in the programs folder: {left}')
    check((folder / 'Datensicherung.ini').read_bytes() == settings, "the user's settings were not kept")
    for key in (EVENT_SOURCE, LAUNCHER_EVENT_SOURCE, REMEMBERED, APPLICATION, PROG_ID,
                RESTORE_APPLICATION, RESTORE_PROG_ID):
        check(registry(key) is None, f'{key} is still there')
    check('Datensicherung.Wiederherstellen.zip' not in (registry(OPEN_WITH) or {}),
          'OpenWithProgids still names the restore window')
    check(not any(drive.glob(RESTORE_SHORTCUT)), 'the restore window\'s Start-menu entry is still there')
    check('Datensicherung.dszip.zip' not in (registry(OPEN_WITH) or {}), 'OpenWithProgids still names dszip')
    check(not any(drive.glob('**/Start Menu/Programs/Datensicherung.lnk')), 'the Start-menu entry is still there')
    check(products() == [], f'still registered: {products()}')
    check(any(drive.glob('users/*/AppData/Local/Datensicherung/dszip.log')), 'the central log is gone')


def check_chosen_folder(version, next_msi):
    """Installed into a folder of the administrator's choice, the next version lands there too."""
    print('a chosen folder')
    drive = args.work / 'prefix' / 'drive_c'
    folder = drive / CHOSEN_FOLDER[3:].replace('\\', '/')
    if msiexec('/i', args.dist / f'Datensicherung-{version}.msi', 'install-chosen',
               properties=[f'INSTALLDIR={CHOSEN_FOLDER}']) != 0:
        return
    check((folder / 'Datensicherung.exe').exists(), f'nothing in {CHOSEN_FOLDER}')
    settings = folder / 'Datensicherung.ini'
    settings.write_bytes(with_keys(settings.read_bytes().decode('cp1252'), 'Backup',
                                   {'3b': 'Im gew\u00e4hlten Ordner'}).encode('cp1252'))
    before = settings.read_bytes()
    (folder / 'dszip.exe').write_bytes(b'the old program')  # so that its replacement shows
    msiexec('/i', next_msi, 'upgrade-chosen')
    check(settings.read_bytes() == before, 'the upgrade in the chosen folder changed the settings file')
    for name in ('Datensicherung.exe', 'dszip.exe'):
        check((folder / name).read_bytes() == (args.programs / name).read_bytes(),
              f'{name}: not the new program in {CHOSEN_FOLDER}')
    default = [path for path in (drive / 'Program Files (x86)' / 'Datensicherung',
                                 drive / 'Program Files' / 'Datensicherung') if (path / 'dszip.exe').exists()]
    check(not default, f'the upgrade went to {default}')
    check(products() == [next_version_of(version)], f'after the upgrade in the chosen folder: {products()}')
    msiexec('/x', next_msi, 'uninstall-chosen')


def next_version_of(version):
    major, minor, patch = version.split('.')
    return f'{major}.{minor}.{int(patch) + 1}'


def check_portable(version):
    print('portable ZIP')
    portable = args.dist / f'Datensicherung-{version}-portabel.zip'
    code, output = run(['7zz', 't', portable])
    check(code == 0, f'7zz t {portable.name}\n{output}')
    with zipfile.ZipFile(portable) as zip_file:
        names = sorted(zip_file.namelist())
        zip_file.extractall(args.work / 'portabel')
    top = f'Datensicherung-{version}/'
    expected = ('Datensicherung.exe', 'Datensicherung.ini', 'Erste Schritte.txt', 'Lizenzen.txt',
                'Wiederherstellen.exe', 'dszip.exe')
    check(names == [top] + [top + name for name in expected], f'portable ZIP holds {names}')
    backup(args.work / 'portabel' / top / 'Datensicherung.exe', args.work, 'portable')


def main():
    global args
    parser = argparse.ArgumentParser()
    for option in ('--dist', '--programs', '--work', '--examples'):
        parser.add_argument(option, type=Path, required=True)
    args = parser.parse_args()
    for name in ('dist', 'programs', 'work', 'examples'):
        setattr(args, name, getattr(args, name).absolute())
    if not os.environ.get('DISPLAY'):
        sys.exit('check_installer.py needs a display for the window program')
    shutil.rmtree(args.work, ignore_errors=True)
    args.work.mkdir(parents=True)
    os.environ.update(WINEPREFIX=str(args.work / 'prefix'), WINEDEBUG='-all',
                      WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=', LANG='C.UTF-8', LC_ALL='C.UTF-8')

    # The newest package: a folder kept across a version change also holds the one before.
    newest = max(args.dist.glob('Datensicherung-*.msi'), key=lambda path: path.stat().st_mtime)
    version = newest.name[len('Datensicherung-'):-len('.msi')]
    next_version = next_version_of(version)
    # The same programs under a higher version: what matters to an upgrade is the package.
    code, output = run([Path(__file__).parents[2] / 'packaging' / 'build_packages.sh', next_version,
                        args.programs, args.work / 'next'])
    if not check(code == 0, f'the higher version was not built\n{output}'):
        return 1
    next_msi = args.work / 'next' / f'Datensicherung-{next_version}.msi'
    codes = {check_tables(args.dist / f'Datensicherung-{version}.msi', version), check_tables(next_msi, next_version)}
    check(len(codes) == 2, 'both versions have the same product code')

    try:
        run(['wineboot', '--init'])
        run(['wineserver', '-w'])
        drive = args.work / 'prefix' / 'drive_c'
        print('install')
        if msiexec('/i', args.dist / f'Datensicherung-{version}.msi', 'install') == 0:
            # "Program Files (x86)" in a 64-bit prefix, "Program Files" in a 32-bit one.
            folder = next((path for path in (drive / 'Program Files (x86)' / 'Datensicherung',
                                             drive / 'Program Files' / 'Datensicherung') if path.exists()))
            check_installed(folder, version)
            check_run(folder)
            settings = check_upgrade(folder, next_msi, version, next_version)
            check_uninstall(folder, next_msi, settings)
        check_chosen_folder(version, next_msi)
        check_portable(version)
    finally:
        run(['wineserver', '-k'])

    if problems:
        print(f'{len(problems)} problem(s)')
        return 1
    print('all passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
