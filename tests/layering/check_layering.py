#!/usr/bin/env python3
"""The include check: every quoted #include in the code of a library or program of src/, tools/ and
web/ must name a header of that library or of one it links, as the build's link lists say
(cmake/VarnholtLayering.cmake writes them out at configure time). Besides:
  - nothing in src/ or web/ includes a header from tools/;
  - the libraries of the rules (data, battle) and the engine see the platform only through its interface,
    platform/platform.h.

  check_layering.py LAYERING_FILE PROJECT_ROOT     prints every include the link lists do not allow
  check_layering.py --self-test                    shows the check refusing what it must refuse
Exit 0 when every include is allowed, 1 otherwise, 2 on bad usage or an unreadable layering file.
"""
import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
# Libraries that may use the platform only through its interface header.
INTERFACE_ONLY = {'data', 'battle', 'engine'}
PLATFORM_INTERFACE = 'platform/platform.h'


def read_layering(path):
    targets = {}
    with open(path, encoding='utf-8') as lines:
        for line in lines:
            line = line.rstrip('\n')
            if not line:
                continue
            name, sources, reached = (line.split('\t') + ['', ''])[:3]
            targets[name] = {
                'sources': [os.path.realpath(s) for s in sources.split(',') if s],
                'links': {r for r in reached.split(',') if r},
            }
    return targets


def header_owners(targets, root):
    """Which targets each header of src/ and tools/ belongs to: a header with a source of the same name
    belongs to that source's target; any other header to the targets built from its folder."""
    owners = {}
    folders = {}
    for name, target in targets.items():
        for source in target['sources']:
            folders.setdefault(os.path.dirname(source), set()).add(name)
            stem, ext = os.path.splitext(source)
            if ext in ('.cpp', '.cc') and os.path.exists(stem + '.h'):
                owners.setdefault(stem + '.h', set()).add(name)
    for top in ('src', 'tools'):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for file in files:
                path = os.path.realpath(os.path.join(folder, file))
                if file.endswith('.h') and path not in owners:
                    owners[path] = set(folders.get(os.path.realpath(folder), set()))
    return owners


def resolve(include, including_file, root):
    for base in (os.path.dirname(including_file), os.path.join(root, 'src'), os.path.join(root, 'tools')):
        candidate = os.path.join(base, include)
        if os.path.isfile(candidate):
            return os.path.realpath(candidate)
    return None


def check(targets, root):
    root = os.path.realpath(root)
    owners = header_owners(targets, root)
    files = {}  # file -> the targets whose code it is
    for name, target in targets.items():
        for source in target['sources']:
            files.setdefault(source, set()).add(name)
    for header, names in owners.items():
        for name in names:
            files.setdefault(header, set()).add(name)

    def under(path, top):
        return path.startswith(os.path.join(root, top) + os.sep)

    # Code of src/ and web/ that this build makes no target of (the web build's own files, say) is still
    # held to the rule about tools/.
    for top in ('src', 'web'):
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                path = os.path.realpath(os.path.join(folder, name))
                if os.path.splitext(name)[1] in ('.cpp', '.h') and path not in files:
                    files[path] = set()

    problems = []
    for file in sorted(files):
        if not os.path.isfile(file):
            continue
        with open(file, encoding='utf-8', errors='replace') as text:
            includes = INCLUDE.findall(text.read())
        users = files[file]
        allowed = set(users)
        for name in users:
            allowed |= targets[name]['links']
        shown = os.path.relpath(file, root)
        for include in includes:
            found = resolve(include, file, root)
            if found is None:
                continue  # a system or generated header
            if under(found, 'tools') and (under(file, 'src') or under(file, 'web')):
                problems.append(f'{shown}: includes "{include}" from tools/')
                continue
            if include.startswith('platform/') and include != PLATFORM_INTERFACE and users & INTERFACE_ONLY:
                problems.append(f'{shown}: includes "{include}"; {", ".join(sorted(users & INTERFACE_ONLY))} '
                                f'sees the platform only through {PLATFORM_INTERFACE}')
                continue
            header_of = owners.get(found)
            if not users or header_of is None or not under(found, 'src') and not under(found, 'tools'):
                continue
            if not header_of:
                problems.append(f'{shown}: includes "{include}", which no library is built from')
            elif not header_of & allowed:
                problems.append(f'{shown}: includes "{include}" of {", ".join(sorted(header_of))}, '
                                f'which {", ".join(sorted(users))} does not link')
    return problems


def self_test():
    """A small tree: a library reaching into one it does not link, a library of the rules reaching past
    the platform interface, and src/ reaching into tools/ are refused; the same includes with the links
    in place pass."""
    with tempfile.TemporaryDirectory() as temporary:
        root = os.path.realpath(temporary)

        def write(path, text=''):
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, 'w', encoding='utf-8') as out:
                out.write(text)
            return full
        low = write('src/low/low.cpp')
        write('src/low/low.h')
        plat = write('src/platform/platform.cpp')
        write('src/platform/platform.h')
        write('src/platform/extra.h')
        write('tools/thing/thing.h')
        high = write('src/high/high.cpp', '#include "low/low.h"\n#include <vector>\n')
        data = write('src/data/data.cpp', '#include "platform/extra.h"\n#include "platform/platform.h"\n')
        web = write('src/web/web.cpp', '#include "thing/thing.h"\n')
        write('web/page_main.cpp', '#include "thing/thing.h"\n#include "low/low.h"\n')

        def targets(high_links):
            return {
                'low': {'sources': [low], 'links': set()},
                'platform': {'sources': [plat], 'links': set()},
                'high': {'sources': [high], 'links': high_links},
                'data': {'sources': [data], 'links': {'platform'}},
                'web': {'sources': [web], 'links': set()},
            }
        refused = check(targets(set()), root)
        expected = ['src/data/data.cpp: includes "platform/extra.h"', 'src/high/high.cpp: includes "low/low.h" of low',
                    'src/web/web.cpp: includes "thing/thing.h" from tools/',
                    'web/page_main.cpp: includes "thing/thing.h" from tools/']
        ok = len(refused) == 4 and all(any(p.startswith(e) for p in refused) for e in expected)
        linked = check(targets({'low'}), root)
        ok = ok and len(linked) == 3 and not any(p.startswith('src/high/') for p in linked)
        for line in refused + ['-- with high linking low:'] + linked:
            print(line)
        print('self-test ' + ('passed' if ok else 'FAILED'))
        return 0 if ok else 1


def main(argv):
    if argv[1:] == ['--self-test']:
        return self_test()
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        targets = read_layering(argv[1])
    except OSError as error:
        print(f'check_layering: cannot read {argv[1]}: {error}', file=sys.stderr)
        return 2
    problems = check(targets, argv[2])
    for problem in problems:
        print(problem)
    print(f'check_layering: {len(targets)} libraries and programs, '
          f'{len(problems)} include(s) the link lists do not allow')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
