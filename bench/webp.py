#!/usr/bin/python3
"""The WebP copies against the JPEGs they stand beside: the corpus's 24 JPEGs published
with --hidpi --webp, and each published picture compared with the picture both
encoders were handed (the drawn picture, kept without loss by qm-resize) and with a
16-bit Lanczos resize of the source. Run through webp.sh."""
import argparse, glob, os, re, shutil, statistics, subprocess, sys, tempfile

import numpy as np
from PIL import Image
from scipy.ndimage import gaussian_filter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from publish import make_project  # noqa: E402

W, H = 667, 375
LUMA = np.array([0.299, 0.587, 0.114])  # BT.601, as JPEG and WebP store it


def load(path):
    return np.asarray(Image.open(path).convert('RGB'), dtype=np.float64)


def load16(path):
    raw = subprocess.run(['convert-im6.q16', path, '-depth', '16', 'PPM:-'], capture_output=True, check=True).stdout
    m = re.match(rb'P6\s+(\d+)\s+(\d+)\s+(\d+)\s', raw)
    w, h = int(m.group(1)), int(m.group(2))
    return np.frombuffer(raw[m.end():m.end() + w * h * 6], dtype='>u2').reshape(h, w, 3).astype(np.float64) / 257


def psnr(a, b):
    return 10 * np.log10(255.0 ** 2 / ((a - b) ** 2).mean())


def ssim(a, b):
    """Mean SSIM of the luma (Gaussian window, sigma 1.5, the usual constants)."""
    x, y = a @ LUMA, b @ LUMA
    blur = lambda v: gaussian_filter(v, 1.5, truncate=3.5)
    mx, my = blur(x), blur(y)
    vx, vy, cxy = blur(x * x) - mx * mx, blur(y * y) - my * my, blur(x * y) - mx * my
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    return (((2 * mx * my + c1) * (2 * cxy + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2))).mean()


def butteraugli(ref_png, path, work):
    """Butteraugli's distance (its largest local difference; below 1.0 looks the same)."""
    if path.endswith('.webp'):
        png = os.path.join(work, 'butteraugli.png')
        subprocess.run(['dwebp', '-quiet', path, '-o', png], check=True)
        path = png
    return float(subprocess.run(['butteraugli', ref_png, path], capture_output=True, text=True, check=True).stdout)


def figures(ref_png, lanczos, path, work, with_butteraugli):
    ref, out = load(ref_png), load(path)
    row = {'bytes': os.path.getsize(path), 'rgb': psnr(ref, out), 'y': psnr(ref @ LUMA, out @ LUMA),
           'ssim': ssim(ref, out), 'lanczos': psnr(lanczos, out)}
    if with_butteraugli:
        row['ba'] = butteraugli(ref_png, path, work)
    return row


def summary(rows, jpeg_bytes=None):
    total = sum(r['bytes'] for r in rows)
    cells = [f'{total / 1024:.0f}', f'{total / jpeg_bytes:.3f}' if jpeg_bytes else '1']
    cells += [f'{statistics.mean(r[k] for r in rows):.2f}' for k in ('rgb', 'y')]
    cells.append(f'{statistics.mean(r["ssim"] for r in rows):.4f}')
    cells.append(f'{statistics.mean(r["ba"] for r in rows):.2f}' if 'ba' in rows[0] else '-')
    cells.append(f'{statistics.mean(r["lanczos"] for r in rows):.2f}')
    return cells, total


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--publisher', required=True)
    ap.add_argument('--resize', required=True)
    ap.add_argument('--template', required=True)
    ap.add_argument('--corpus', default='/tmp/qm-corpus')
    ap.add_argument('--out', default='/tmp/qm-webp-bench')
    ap.add_argument('--no-butteraugli', action='store_true')
    ap.add_argument('--sweep', nargs='*', default=[], metavar='Q,M',
                    help='also encode the drawn pictures with cwebp at these qualities and methods')
    a = ap.parse_args()

    pictures = sorted(glob.glob(f'{a.corpus}/jpeg/*.jpg'))
    shutil.rmtree(a.out, ignore_errors=True)
    for d in ('home/data', 'tmp', 'ref', 'work'):
        os.makedirs(f'{a.out}/{d}')
    env = dict(os.environ, HOME=f'{a.out}/home', XDG_DATA_HOME=f'{a.out}/home/data', TMPDIR=f'{a.out}/tmp')
    project = f'{a.out}/bench.qmreel1'
    make_project(a.template, project, pictures)
    subprocess.run([a.publisher, '--no-cache', '--hidpi', '--webp', project, f'{a.out}/published'], env=env,
                   stdout=subprocess.DEVNULL, check=True)

    table = {}  # (scale, codec) -> rows
    fresh2x = []
    for k, src in enumerate(pictures):
        for scale in (1, 2):
            w, h, at = W * scale, H * scale, '@2x' if scale == 2 else ''
            drawn = f'{a.out}/ref/{k}{at}.png'
            subprocess.run([a.resize, '--scale', str(scale), src, drawn, str(W), str(H), '1'], env=env, check=True)
            lanczos_png = f'{a.out}/ref/{k}{at}-lanczos.png'
            subprocess.run(['convert-im6.q16', src, '-filter', 'Lanczos', '-resize', f'{w}x{h}^', '-gravity', 'center',
                            '-extent', f'{w}x{h}', '+repage', '-depth', '16', 'PNG48:' + lanczos_png], check=True)
            lanczos = load16(lanczos_png)
            for codec in ('jpg', 'webp'):
                path = f'{a.out}/published/p{k}_t{at}.{codec}'
                table.setdefault((scale, codec), []).append(
                    figures(drawn, lanczos, path, f'{a.out}/work', not a.no_butteraugli))
            if scale == 2:
                # The same 2x picture drawn from a decode of its own, as a build without the
                # item picture's decode would: how much the shared decode costs.
                alone = f'{a.out}/work/alone.jpg'
                subprocess.run([a.resize, src, alone, str(w), str(h), '1'], env=env, check=True)
                published = f'{a.out}/published/p{k}_t@2x.jpg'
                shared = open(alone, 'rb').read() != open(published, 'rb').read()
                fresh2x.append((shared, psnr(lanczos, load(alone)), psnr(lanczos, load(published))))
        print(f'{os.path.basename(src)} measured', file=sys.stderr, flush=True)

    load_avg = ' '.join(open('/proc/loadavg').read().split()[:3])
    head = ['picture', 'KiB', 'size / JPEG', 'PSNR RGB dB', 'PSNR luma dB', 'SSIM luma', 'butteraugli',
            'PSNR RGB vs Lanczos dB']
    lines = [f'# WebP copies against the JPEGs: {len(pictures)} corpus JPEGs to {W} x {H} (mode 1), load {load_avg}', '',
             'Against the drawn picture both encoders were handed (means over the pictures; sizes summed), and in the last '
             'column against a 16-bit Lanczos resize of the source.', '',
             '| ' + ' | '.join(head) + ' |', '|---|' + '---:|' * (len(head) - 1)]
    for scale in (1, 2):
        jpeg_cells, jpeg_bytes = summary(table[(scale, 'jpg')])
        webp_cells, _ = summary(table[(scale, 'webp')], jpeg_bytes)
        lines.append(f'| {scale}x JPEG q90 4:4:4 | ' + ' | '.join(jpeg_cells) + ' |')
        lines.append(f'| {scale}x WebP as published | ' + ' | '.join(webp_cells) + ' |')
        ratios = [w['bytes'] / j['bytes'] for j, w in zip(table[(scale, 'jpg')], table[(scale, 'webp')])]
        lines.append(f'| {scale}x WebP / JPEG per picture | | {min(ratios):.3f} to {max(ratios):.3f} | | | | | |')
    shared = [f for f in fresh2x if f[0]]
    lines += ['', f'2x pictures drawn from the item picture\'s decode: {len(shared)} of {len(fresh2x)}; their PSNR against '
              f'the Lanczos 2x reference {statistics.mean(f[2] for f in shared) if shared else 0:.2f} dB, drawn from a '
              f'decode of their own {statistics.mean(f[1] for f in shared) if shared else 0:.2f} dB.']

    if a.sweep:
        lines += ['', '## cwebp on the drawn pictures (the import the publisher uses: no sharp YUV)', '',
                  '| quality, method | 1x size / JPEG | 1x PSNR RGB | 1x PSNR luma | 1x SSIM | 1x ms | '
                  '2x size / JPEG | 2x PSNR RGB | 2x PSNR luma | 2x SSIM | 2x ms |', '|---|' + '---:|' * 10]
        for qm in a.sweep:
            q, m = qm.split(',')
            cells = []
            for scale in (1, 2):
                at = '@2x' if scale == 2 else ''
                rows, ms = [], []
                for k in range(len(pictures)):
                    ref, out = f'{a.out}/ref/{k}{at}.png', f'{a.out}/work/sweep.webp'
                    err = subprocess.run(['cwebp', '-v', '-q', q, '-m', m, ref, '-o', out], capture_output=True,
                                         text=True, check=True).stderr
                    ms.append(1000 * float(re.search(r'Time to encode picture: ([\d.]+)s', err).group(1)))
                    r, o = load(ref), load(out)
                    rows.append({'bytes': os.path.getsize(out), 'rgb': psnr(r, o), 'y': psnr(r @ LUMA, o @ LUMA),
                                 'ssim': ssim(r, o)})
                jpeg_bytes = sum(r['bytes'] for r in table[(scale, 'jpg')])
                cells += [f'{sum(r["bytes"] for r in rows) / jpeg_bytes:.3f}',
                          *(f'{statistics.mean(r[k] for r in rows):.2f}' for k in ('rgb', 'y')),
                          f'{statistics.mean(r["ssim"] for r in rows):.4f}', f'{statistics.median(ms):.0f}']
            lines.append(f'| q{q} m{m} | ' + ' | '.join(cells) + ' |')
            print(f'q{q} m{m} measured', file=sys.stderr, flush=True)

    report = '\n'.join(lines) + '\n'
    open(f'{a.out}/report.md', 'w').write(report)
    print(report)


if __name__ == '__main__':
    main()
