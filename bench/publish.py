#!/usr/bin/python3
"""Publishes the corpus's JPEGs through quillmere-publish, plain and with the gallery's
extras (2x pictures, WebP copies, both), and in the same run makes the same pictures
with vipsthumbnail as one single-threaded process and as two such processes side by
side (half of the files each). Run through publish.sh."""
import argparse, filecmp, glob, os, re, shutil, statistics, subprocess, sys, time

W, H = 667, 375


def run_all(argvs, env):
    """Wall ms until every process of `argvs` (started together) has finished, and the summed CPU ms."""
    start = time.perf_counter()
    procs = [subprocess.Popen(a, stdout=subprocess.DEVNULL, env=env) for a in argvs]
    cpu = 0.0
    for p in procs:
        _, status, usage = os.wait4(p.pid, 0)
        if status != 0:
            raise SystemExit(f'failed ({status}): {" ".join(p.args)}')
        cpu += usage.ru_utime + usage.ru_stime
    return (time.perf_counter() - start) * 1000, cpu * 1000


def load():
    with open('/proc/loadavg') as f:
        return ' '.join(f.read().split()[:3])


def make_project(template, path, pictures):
    lines = open(template, encoding='latin-1', newline='').read().split('\r\n')
    head = lines[:lines.index('<Item_Parameters>') + 1]
    items = [f'#$@#$@{p}#$@#$@_self#$@{os.path.basename(p)}#$@{os.path.basename(p)}#$@0#$@#$@#$@#$@' for p in pictures]
    with open(path, 'w', encoding='latin-1', newline='') as f:
        f.write('\r\n'.join(head + items + ['</Item_Parameters>', '']))


def same_folders(a, b):
    names = sorted(os.listdir(a))
    if names != sorted(os.listdir(b)):
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, names, shallow=False)
    return not mismatch and not errors


def peak_rss_mib(argv, env):
    out = subprocess.run(['/usr/bin/time', '-v'] + argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env,
                         text=True, check=True).stderr
    return int(re.search(r'Maximum resident set size \(kbytes\): (\d+)', out).group(1)) / 1024


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--publisher', required=True)
    ap.add_argument('--template', required=True)
    ap.add_argument('--corpus', default='/tmp/qm-corpus')
    ap.add_argument('--out', default='/tmp/qm-publish-bench')
    ap.add_argument('--repeats', type=int, default=3)
    a = ap.parse_args()

    pictures = sorted(glob.glob(f'{a.corpus}/jpeg/*.jpg'))
    if len(pictures) != 24:
        raise SystemExit(f'expected 24 JPEGs in {a.corpus}/jpeg, found {len(pictures)}')
    shutil.rmtree(a.out, ignore_errors=True)
    os.makedirs(a.out)
    # A private home and temporary folder: the bench never touches the user's cache.
    env = dict(os.environ, HOME=f'{a.out}/home', XDG_DATA_HOME=f'{a.out}/home/data', TMPDIR=f'{a.out}/tmp',
               VIPS_CONCURRENCY='1', OMP_NUM_THREADS='1')
    for d in ('home/data', 'tmp', 'vips'):
        os.makedirs(f'{a.out}/{d}')
    project = f'{a.out}/bench.qmreel1'
    make_project(a.template, project, pictures)

    def publish(folder, *options):
        return [a.publisher, *options, project, f'{a.out}/{folder}']

    def clear_cache():
        for d in glob.glob(f'{a.out}/tmp/quillmere-pictures*'):
            shutil.rmtree(d)

    vips = lambda files: ['vipsthumbnail', *files, '--size', f'{W}x{H}', '--smartcrop', 'centre',
                          '-o', f'{a.out}/vips/%s.jpg[Q=90]']
    half = len(pictures) // 2
    # The plain publish and those with the gallery's extras, each from an empty cache, then again from the cache.
    extras = {'': ['--no-hidpi', '--no-webp'], ' --hidpi': ['--hidpi', '--no-webp'],
              ' --webp': ['--no-hidpi', '--webp'], ' --hidpi --webp': ['--hidpi', '--webp']}
    folder = lambda suffix, run: run + suffix.replace(' --', '-')
    runs = {name: [] for name in ('vips 1 process', 'vips 2 processes', 'publish --jobs 1 --no-cache')}
    for suffix in extras:
        runs[f'first publish{suffix}'] = []
        runs[f'second publish{suffix} (cache)'] = []
    loads = [load()]
    for rep in range(a.repeats):
        runs['vips 1 process'].append(run_all([vips(pictures)], env))
        runs['vips 2 processes'].append(run_all([vips(pictures[:half]), vips(pictures[half:])], env))
        for suffix, flags in extras.items():
            clear_cache()
            for run in ('first', 'second'):
                shutil.rmtree(f'{a.out}/{folder(suffix, run)}', ignore_errors=True)
                # The second run publishes the unchanged project again into its folder
                # (a copy of the first run's, so that the two can be compared).
                if run == 'second':
                    shutil.copytree(f'{a.out}/{folder(suffix, "first")}', f'{a.out}/{folder(suffix, run)}')
                name = f'first publish{suffix}' if run == 'first' else f'second publish{suffix} (cache)'
                runs[name].append(run_all([publish(folder(suffix, run), *flags)], env))
        shutil.rmtree(f'{a.out}/one', ignore_errors=True)
        runs['publish --jobs 1 --no-cache'].append(run_all([publish('one', *extras[''], '--jobs', '1', '--no-cache')], env))
        loads.append(load())
    rss = peak_rss_mib(publish('rss', *extras[''], '--jobs', '2', '--no-cache'), env)
    rss_both = peak_rss_mib(publish('rss-both', *extras[' --hidpi --webp'], '--jobs', '2', '--no-cache'), env)
    identical = same_folders(f'{a.out}/first', f'{a.out}/one') and same_folders(f'{a.out}/first', f'{a.out}/second')
    one_x = sorted(f for f in os.listdir(f'{a.out}/first') if re.fullmatch(r'p\d+_t\.jpg', f))
    one_x_kept = all(not filecmp.cmpfiles(f'{a.out}/first', f'{a.out}/{folder(suffix, "first")}', one_x, shallow=False)[1]
                     for suffix in extras)
    both = folder(' --hidpi --webp', 'first')
    named = lambda pattern: sorted(f for f in os.listdir(f'{a.out}/{both}') if re.fullmatch(pattern, f))
    size = lambda names: sum(os.path.getsize(f'{a.out}/{both}/{n}') for n in names) / 1e6
    two_x = named(r'p\d+_t@2x\.jpg')
    jpeg1, jpeg2 = size(named(r'p\d+_t\.jpg')), size(two_x)
    webp1, webp2 = size(named(r'p\d+_t\.webp')), size(named(r'p\d+_t@2x\.webp'))

    med = {n: (statistics.median(w for w, _ in r), statistics.median(c for _, c in r)) for n, r in runs.items()}
    first, second = med['first publish'][0], med['second publish (cache)'][0]
    v1, v2 = med['vips 1 process'][0], med['vips 2 processes'][0]
    lines = [f'# Publishing {len(pictures)} JPEGs to {W} x {H} (mode 1), median of {a.repeats}', '',
             f'load average (1, 5, 15 min) before and after each round: {" | ".join(loads)}', '',
             '| run | wall ms | CPU ms |', '|---|---:|---:|']
    lines += [f'| {n} | {w:.0f} | {c:.0f} |' for n, (w, c) in med.items()]
    met = lambda ok: 'yes' if ok else 'NO'
    lines += ['', '| goal | figure | met |', '|---|---:|---|',
              f'| first publish / vips 1 process <= 0.6 | {first / v1:.2f} | {met(first / v1 <= 0.6)} |',
              f'| first publish / vips 2 processes <= 1.0 | {first / v2:.2f} | {met(first / v2 <= 1.0)} |',
              f'| --jobs 1, default and cached folders byte-identical | {identical} | {met(identical)} |',
              f'| peak memory with --jobs 2 < 100 MiB | {rss:.1f} MiB | {met(rss < 100)} |',
              f'| peak memory with --hidpi --webp --jobs 2 (report) | {rss_both:.1f} MiB | - |']
    for suffix in extras:
        f1, f2 = med[f'first publish{suffix}'][0], med[f'second publish{suffix} (cache)'][0]
        if suffix:
            goal = 2.0 if suffix == ' --hidpi --webp' else None
            lines.append(f'| first publish{suffix} / first publish' + (f' <= {goal}' if goal else ' (report)') +
                         f' | {f1 / first:.2f} | {met(f1 / first <= goal) if goal else "-"} |')
        lines.append(f'| second publish{suffix} / first publish{suffix} <= 0.1 | {f2 / f1:.3f} | {met(f2 / f1 <= 0.1)} |')
    lines += [f'| 1x pictures byte-identical with --hidpi, --webp and both | {one_x_kept} | {met(one_x_kept)} |',
              f'| MB of 1x JPEG / WebP (WebP / JPEG) | {jpeg1:.2f} / {webp1:.2f} ({webp1 / jpeg1:.3f}) | - |',
              f'| MB of 2x JPEG / WebP (WebP / JPEG), 2x pictures written | {jpeg2:.2f} / {webp2:.2f} ({webp2 / jpeg2:.3f}), '
              f'{len(two_x)} | - |']
    report = '\n'.join(lines) + '\n'
    open(f'{a.out}/report.md', 'w').write(report)
    print(report)


if __name__ == '__main__':
    main()
