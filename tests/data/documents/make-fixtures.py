#!/usr/bin/python3
"""Writes the document fixtures with the tools people write scripts with.

source.md is turned into Word and OpenDocument files by pandoc, and those by
LibreOffice into the other format, so each format comes from two makers; the
odd cases (tracked changes, fields, comments, hidden text, a picture, right to
left and CJK text, a long document) are written with python-docx and turned
into OpenDocument by LibreOffice. Needs pandoc, python3-docx and
libreoffice-writer-nogui; run it from this folder.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import zlib

from docx import Document
from docx.oxml import OxmlElement
from docx.oxml.ns import qn
from docx.shared import Inches

HERE = os.path.dirname(os.path.abspath(__file__))


def run(*command):
    subprocess.run(command, check=True, cwd=HERE)


def libreoffice(source, target_format, name):
    with tempfile.TemporaryDirectory() as out, tempfile.TemporaryDirectory() as profile:
        run('soffice', f'-env:UserInstallation=file://{profile}', '--headless',
            '--convert-to', target_format, '--outdir', out, source)
        made = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + '.' + target_format)
        shutil.move(made, os.path.join(HERE, name))


def element(tag, **attributes):
    made = OxmlElement(tag)
    for key, value in attributes.items():
        made.set(qn(key), value)
    return made


def text_run(text, tag='w:t'):
    r = element('w:r')
    t = element(tag)
    t.text = text
    t.set('{http://www.w3.org/XML/1998/namespace}space', 'preserve')
    r.append(t)
    return r


def tracked():
    document = Document()
    p = document.add_paragraph('Kept ')
    insertion = element('w:ins', **{'w:id': '1', 'w:author': 'Ed', 'w:date': '2026-01-01T00:00:00Z'})
    insertion.append(text_run('inserted '))
    p._p.append(insertion)
    deletion = element('w:del', **{'w:id': '2', 'w:author': 'Ed', 'w:date': '2026-01-01T00:00:00Z'})
    deletion.append(text_run('deleted ', 'w:delText'))
    p._p.append(deletion)
    p._p.append(text_run('end.'))
    document.add_paragraph('Second paragraph.')
    document.save(os.path.join(HERE, 'pydocx_tracked.docx'))


def fields():
    document = Document()
    p = document.add_paragraph('Page ')
    for kind, text in (('begin', None), (None, ' PAGE '), ('separate', None), (None, '7'),
                       ('end', None)):
        if kind:
            r = element('w:r')
            r.append(element('w:fldChar', **{'w:fldCharType': kind}))
            p._p.append(r)
        else:
            p._p.append(text_run(text, 'w:instrText' if text.startswith(' ') else 'w:t'))
    p._p.append(text_run(' of the show.'))
    simple = element('w:fldSimple', **{'w:instr': ' AUTHOR '})
    simple.append(text_run('Ed Writer'))
    q = document.add_paragraph('By ')
    q._p.append(simple)
    document.save(os.path.join(HERE, 'pydocx_fields.docx'))


def hidden_and_notes():
    document = Document()
    p = document.add_paragraph('Seen ')
    p.add_run('hidden ').font.hidden = True
    p.add_run('too.')
    document.add_paragraph('Only hidden.').runs[0].font.hidden = True
    section = document.sections[0]
    section.header.paragraphs[0].text = 'Header text'
    section.footer.paragraphs[0].text = 'Footer text'
    document.add_paragraph('After.')
    document.save(os.path.join(HERE, 'pydocx_hidden.docx'))


def png(width, height):
    raw = b''.join(b'\x00' + b'\x80\x20\x20' * width for _ in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def structure():
    document = Document()
    document.add_heading('Running Order', level=0)
    document.add_heading('Opening', level=1)
    document.add_paragraph('Welcome back.')
    document.add_paragraph('Cue the band', style='List Bullet')
    document.add_paragraph('Lights down', style='List Bullet')
    document.add_paragraph('Greet the guest', style='List Number')
    document.add_paragraph('Start the interview', style='List Number')
    with tempfile.NamedTemporaryFile(suffix='.png') as picture:
        picture.write(png(8, 8))
        picture.flush()
        document.add_picture(picture.name, width=Inches(0.5))
    document.add_heading('Close', level=2)
    table = document.add_table(rows=2, cols=2)
    for row, cells in enumerate((('Who', 'When'), ('Anna', '9:05'))):
        for column, text in enumerate(cells):
            table.cell(row, column).text = text
    p = document.add_paragraph('Tab\there')
    p.add_run().add_break()
    p.add_run('next line')
    document.add_paragraph('مساء الخير')
    document.add_paragraph('晚上好，欢迎收看新闻。')
    document.save(os.path.join(HERE, 'pydocx_structure.docx'))


def long_document():
    document = Document()
    for n in range(1, 2001):
        document.add_paragraph(f'Paragraph {n} of the long script.')
    document.save(os.path.join(HERE, 'pydocx_long.docx'))


def main():
    run('pandoc', 'source.md', '-o', 'pandoc.docx')
    run('pandoc', 'source.md', '-o', 'pandoc.odt')
    libreoffice('pandoc.odt', 'docx', 'libreoffice.docx')
    libreoffice('pandoc.docx', 'odt', 'libreoffice.odt')
    tracked()
    fields()
    hidden_and_notes()
    structure()
    long_document()
    for name in ('tracked', 'fields', 'hidden', 'structure'):
        libreoffice(f'pydocx_{name}.docx', 'odt', f'libreoffice_{name}.odt')


if __name__ == '__main__':
    main()
