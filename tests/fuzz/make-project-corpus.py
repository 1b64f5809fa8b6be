#!/usr/bin/env python3
"""Writes the seed project files of the project reader's fuzz target into
corpus/project/ (committed; the fuzzer grows its own copies elsewhere).

Each name starts with what reading the file must give, which the corpus test
checks: loads-, none- (no project, nothing changes), refused- (another product)
or error- (a message, nothing changes).

    tests/fuzz/make-project-corpus.py
"""
import pathlib
import shutil

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
OUT = HERE / 'corpus' / 'project'
SEP = b'#$@'

HEAD = [b'<Warning_Info>', b'Note: This file was created and maintained by Quillmere 1.0.',
        b'Do not modify it or script project may not be opened again!', b'</Warning_Info>']
GALLERY = (b'slideshow1#$@667#$@75#$@375#$@6#$@1#$@#$@1#$@1#$@1#$@24#$@FFFFFF#$@24#$@FFFFFF#$@'
           b'000000#$@000000#$@1#$@000000#$@0#$@#$@#$@#$@1#$@')


def item(path=b'C:\\pics\\a.jpg', level=b'0', title=b'title', link=b'http://example.org/'):
    values = [b'', b'', path, link, b'_self', title, b'caption', level, b'', b'', b'']
    return SEP.join(values) + SEP


def project(items=(), product=b'Quillmere', gallery=GALLERY, version=b'1.0', closed=True, extras=()):
    lines = HEAD + [b'<Product_Name>', product, b'</Product_Name>', b'<Product_Version>', version,
                    b'</Product_Version>', b'<Applet_Parameters>', gallery, b'</Applet_Parameters>', *extras,
                    b'<Item_Parameters>', *items]
    if closed:
        lines.append(b'</Item_Parameters>')
    return lines


def crlf(lines):
    return b''.join(line + b'\r\n' for line in lines)


def levels(*values):
    return [item(b'C:\\pics\\%d.jpg' % i, str(v).encode()) for i, v in enumerate(values)]


files = {}
sample = (ROOT / 'data' / 'samples' / 'sample.qmreel1.in').read_bytes()
files['loads-sample-template.qmreel1'] = sample
files['loads-sample-windows-paths.qmreel1'] = sample.replace(b'@SAMPLES@/', b'C:\\Users\\me\\Pictures\\')
files['loads-new-project.qmreel1'] = (ROOT / 'tests' / 'model' / 'data' / 'new-project.qmreel1').read_bytes()
files['loads-levels-01101.qmreel1'] = crlf(project(levels(0, 1, 1, 0, 1)))
files['loads-deep-150.qmreel1'] = crlf(project(levels(*range(150))))
files['loads-deep-then-flat.qmreel1'] = crlf(project(levels(*range(40), 0, 1, 39, 0)))
files['loads-flat-200.qmreel1'] = crlf(project([item(b'/p/%d.png' % i) for i in range(200)]))
files['loads-morrowfen.qmreel1'] = crlf(project(levels(0, 1), product=b'Morrowfen'))
files['loads-lf-only.qmreel1'] = b'\n'.join(project(levels(0, 1, 0))) + b'\n'
files['loads-no-final-line-end.qmreel1'] = crlf(project(levels(0)))[:-2]
files['loads-mixed-line-ends.qmreel1'] = b''.join(line + (b'\n' if i % 2 else b'\r\n')
                                                  for i, line in enumerate(project(levels(0, 1))))
files['loads-extra-lines.qmreel1'] = crlf([b'junk', *project(levels(0))[:9], b'after version', b'<Applet_Parameters>',
                                           b'x#$@1#$@', b'between', b'</Applet_Parameters>', b'<Item_Parameters>',
                                           item(), b'</Item_Parameters>', b'trailing'])
# The gallery line is the item marker itself: the search for the items starts on it.
files['loads-gallery-line-is-item-marker.qmreel1'] = crlf(
    [b'<Product_Name>', b'Quillmere', b'<Product_Version>', b'1', b'<Applet_Parameters>', b'<Item_Parameters>',
     item(), b'</Item_Parameters>'])
files['loads-gallery-extras.qmreel1'] = crlf(project(levels(0, 1), extras=[b'WebP=1', b'Unknown=1', b'HiDpi=1', b'WebP']))
files['loads-short-gallery-line.qmreel1'] = crlf(project(levels(0), gallery=b'only#$@two#$@no separator'))
files['loads-long-gallery-line.qmreel1'] = crlf(project(levels(0), gallery=SEP * 4000 + b'x' * 2000))
files['loads-huge-numbers.qmreel1'] = crlf(project(levels(0), gallery=SEP.join(
    [b'g', b'99999999999999999999', b'-2147483649', b'2147483648', b'0x10', b'1e9'] + [b'-1'] * 17) + SEP))
files['loads-level-clamped.qmreel1'] = crlf(project(levels(2, 1, 4, -3, 2147483647, -2147483648)))
files['loads-level-blanks-and-sign.qmreel1'] = crlf(project([item(level=b' 0 '), item(level=b'+1'), item(level=b'\t1'),
                                                             item(level=b'0001')]))
files['loads-extra-fields.qmreel1'] = crlf(project([item() + b'more#$@fields#$@' * 20, item(level=b'1')]))
files['loads-odd-separators.qmreel1'] = crlf(project(
    [b'#$#$@@#$@C:a:b:c.jpg#$@#$@#$@#$@#$@0#$@#$', b'#$@#$@#$@#$@#$@#$@#$@1#$@', b'##$@@$$@@#$@#$@x\\#$@#$@#$@#$@1#$@'],
    gallery=b'#$#$@@#$@@#$'))
files['loads-utf8-values.qmreel1'] = crlf(project([item('/bilder/Straße/日本.jpg'.encode(), title='Grüße'.encode()),
                                                   item(b'/p/\xff\xfe\x80.jpg', b'1', title=b'\xc3')]))
files['loads-utf8-bom.qmreel1'] = b'\xef\xbb\xbf' + crlf(project(levels(0)))
files['loads-nul-bytes.qmreel1'] = crlf(project([item(b'/p/a\0b.jpg', title=b'\0\0')], gallery=b'a\0#$@'))
files['loads-carriage-return-inside.qmreel1'] = crlf(project([item(title=b'two\rparts')]))
files['loads-markers-as-values.qmreel1'] = crlf(project([item(b'</Item_Parameters>', title=b'<Product_Name>')],
                                                        version=b'</Product_Version>'))
files['loads-long-value.qmreel1'] = crlf(project([item(b'/p/' + b'n' * 6000 + b'.jpg')]))

files['none-empty.qmreel1'] = b''
files['none-one-line-end.qmreel1'] = b'\r\n'
files['none-plain-text.qmreel1'] = b'hello\r\nworld\r\n'
files['none-marker-with-blank.qmreel1'] = crlf([b'<Product_Name> ' if line == b'<Product_Name>' else line
                                                for line in project(levels(0))])
files['none-double-cr.qmreel1'] = b''.join(line + b'\r\r\n' for line in project(levels(0)))
files['none-cr-only-line-ends.qmreel1'] = b'\r'.join(project(levels(0))) + b'\r'
files['none-utf16.qmreel1'] = b'\xff\xfe' + crlf(project(levels(0))).decode('latin-1').encode('utf-16-le')
# The reader takes a byte-order mark for what it is, not for part of the first line.
files['loads-bom-before-product-marker.qmreel1'] = b'\xef\xbb\xbf' + crlf(project(levels(0))[4:])
files['none-binary.qmreel1'] = bytes(range(256)) * 4

files['refused-other-product.qmreel1'] = crlf(project(levels(0), product=b'Otherware'))
files['refused-product-trailing-blank.qmreel1'] = crlf(project(levels(0), product=b'Quillmere '))
files['refused-product-lower-case.qmreel1'] = crlf(project(levels(0), product=b'quillmere'))
files['refused-product-is-a-marker.qmreel1'] = crlf(
    [b'<Product_Name>', b'<Product_Name>', b'Quillmere', b'</Product_Name>'] + project(levels(0))[7:])

whole = crlf(project(levels(0, 1)))
files['error-ends-after-product-marker.qmreel1'] = b'<Product_Name>\r\n'
files['error-ends-before-version.qmreel1'] = whole[:whole.index(b'<Product_Version>')]
files['error-ends-after-version-marker.qmreel1'] = whole[:whole.index(b'1.0\r\n')]
files['error-ends-before-gallery.qmreel1'] = whole[:whole.index(b'<Applet_Parameters>')]
files['error-ends-before-items.qmreel1'] = whole[:whole.index(b'<Item_Parameters>')]
files['error-ends-inside-items.qmreel1'] = whole[:whole.index(b'</Item_Parameters>')]
files['error-ends-inside-an-item.qmreel1'] = whole[:whole.index(b'</Item_Parameters>') - 9]
files['error-closing-marker-with-blank.qmreel1'] = crlf(project(levels(0), closed=False) + [b'</Item_Parameters> '])
files['error-level-word.qmreel1'] = crlf(project([item(), item(level=b'one')]))
files['error-level-empty.qmreel1'] = crlf(project([item(), item(level=b'')]))
files['error-level-overflow.qmreel1'] = crlf(project([item(level=b'99999999999')]))
files['error-level-hex.qmreel1'] = crlf(project([item(level=b'0x1')]))
files['error-empty-item-line.qmreel1'] = crlf(project([item(), b'']))
files['error-item-without-separators.qmreel1'] = crlf(project([item(), b'no separators here']))

shutil.rmtree(OUT, ignore_errors=True)
OUT.mkdir(parents=True)
for name, data in sorted(files.items()):
    (OUT / name).write_bytes(data)
total = sum(len(d) for d in files.values())
print(f'{len(files)} files, {total} bytes in {OUT}')
