#!/usr/bin/env python3
"""Which test files exercise product code no other test file does.

Builds the project with clang's source-based coverage into build-cov/ (once), runs every test
alone with its own profile (two at a time; tests sharing the daemon lock one after another),
and prints, for every test file, the lines of src/ that only its tests run, fewest first.
A file with none is a place to look for a repeated test: plant the fault it exists for and see
whether another file catches it. Lines run are not faults caught, so the table is a pointer,
never a verdict. Installs clang and the LLVM profile tools first (install-deps.sh --coverage).

  python3 scripts/coverage-by-test-file.py [--rerun]   (from the repository root; ~15 min)
"""
import collections, concurrent.futures as cf, contextlib, json, os, re, shutil, subprocess, sys, threading

ROOT = os.path.abspath(os.path.dirname(__file__) + '/..')
BUILD = os.path.join(ROOT, 'build-cov')
OUT = os.path.join(BUILD, 'per-test')
SRC = os.path.join(ROOT, 'src') + '/'


def build():
    subprocess.run([os.path.join(ROOT, 'scripts', 'install-deps.sh'), '--coverage'], check=True)
    if not os.path.exists(os.path.join(BUILD, 'build.ninja')):
        flags = '-fprofile-instr-generate -fcoverage-mapping -O0'
        subprocess.run(['cmake', '-S', ROOT, '-B', BUILD, '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=Debug',
                        '-DCMAKE_C_COMPILER=clang', '-DCMAKE_CXX_COMPILER=clang++',
                        '-DLUMIVANE_BUILD_BENCH=OFF', f'-DCMAKE_CXX_FLAGS={flags}',
                        '-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate'], check=True)
    subprocess.run(['cmake', '--build', BUILD, '-j', str(os.cpu_count())], check=True)


daemon = threading.Lock()


def run(index, test):
    folder = os.path.join(OUT, f'{index:03d}')
    result = os.path.join(folder, 'lines.json')
    if os.path.exists(result):
        return json.load(open(result))
    os.makedirs(folder, exist_ok=True)
    env = dict(os.environ, LLVM_PROFILE_FILE=os.path.join(folder, '%p.profraw'))
    env.setdefault('XDG_RUNTIME_DIR', '/tmp/runtime-' + str(os.getuid()))
    cwd, locked = None, False
    for p in test.get('properties', []):
        if p['name'] == 'ENVIRONMENT':
            env.update(kv.split('=', 1) for kv in p['value'])
        elif p['name'] == 'WORKING_DIRECTORY':
            cwd = p['value']
        elif p['name'] == 'RESOURCE_LOCK':
            locked = True
    with daemon if locked else contextlib.nullcontext():
        passed = subprocess.run(test['command'], env=env, cwd=cwd, capture_output=True).returncode == 0
    raws = [os.path.join(folder, f) for f in os.listdir(folder) if f.endswith('.profraw')]
    lines = collections.defaultdict(list)
    if raws:
        profile = os.path.join(folder, 'all.profdata')
        subprocess.run(['llvm-profdata', 'merge', '-sparse', *raws, '-o', profile], check=True)
        objects = [test['command'][0], '-object', os.path.join(BUILD, 'bin', 'lumivane')]
        lcov = subprocess.run(['llvm-cov', 'export', '-format=lcov', '-skip-functions',
                               f'-instr-profile={profile}', *objects],
                              capture_output=True, text=True).stdout
        current = None
        for line in lcov.splitlines():
            if line.startswith('SF:'):
                path = os.path.normpath(line[3:])
                current = path[len(SRC):] if path.startswith(SRC) else None
            elif current and line.startswith('DA:'):
                number, count = line[3:].split(',')[:2]
                if int(count) > 0:
                    lines[current].append(int(number))
        for f in raws + [profile]:
            os.remove(f)
    record = {'name': test['name'], 'passed': passed, 'lines': lines}
    json.dump(record, open(result, 'w'))
    return record


def test_files():
    """(suite, name) -> the test file that defines it."""
    where = {}
    for folder, _, files in os.walk(os.path.join(ROOT, 'tests')):
        for f in files:
            if f.endswith('.cpp'):
                path = os.path.join(folder, f)
                for m in re.finditer(r'^TEST(?:_F|_P)?\(\s*(\w+),\s*(\w+)\s*\)', open(path).read(), re.M):
                    where[m.groups()] = os.path.relpath(path, ROOT)
    return where


def main():
    if '--rerun' in sys.argv:
        shutil.rmtree(OUT, ignore_errors=True)
    build()
    tests = json.loads(subprocess.check_output(
        ['ctest', '--test-dir', BUILD, '--show-only=json-v1']))['tests']
    with cf.ThreadPoolExecutor(2) as pool:
        records = list(pool.map(run, range(len(tests)), tests))
    where = test_files()
    covered = collections.defaultdict(set)  # test file -> (src file, line)
    for r in records:
        m = re.search(r'(\w+)\.(\w+)', r['name'].split('/')[1] if '/' in r['name'] else r['name'])
        owner = where.get(m.groups() if m else None, 'script: ' + r['name'])
        covered[owner] |= {(f, n) for f, ns in r['lines'].items() for n in ns}
        if not r['passed']:
            print('failed when run alone:', r['name'])
    runs = collections.Counter(x for s in covered.values() for x in s)
    print(f'{len(records)} tests, {len(runs)} lines of src/ run')
    print('only-here  run-here  test file')
    for owner in sorted(covered, key=lambda o: sum(runs[x] == 1 for x in covered[o])):
        print(f'{sum(runs[x] == 1 for x in covered[owner]):9d} {len(covered[owner]):9d}  {owner}')


if __name__ == '__main__':
    main()
