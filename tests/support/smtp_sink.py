"""A real SMTP server (aiosmtpd) on 127.0.0.1 for the mail tests.

    smtp_sink.py OUTDIR [tls]

Prints the port it listens on and whether it offers STARTTLS (never required;
"tls" asks for it, with a certificate openssl makes), then writes every
message it accepts to OUTDIR: N.eml as it arrived and N.json with what
Python's email package reads from it. Ends when its standard input closes.
"""

import asyncio
import base64
import email
import email.policy
import json
import os
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP


def addresses(header):
    return [] if header is None else [a.addr_spec for a in header.addresses]


def report(envelope, session):
    raw = envelope.original_content
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    body = msg.get_body(preferencelist=('plain',))
    sender = msg['From'].addresses[0] if msg['From'] is not None else None
    date = msg['Date']
    return {
        'mail_from': envelope.mail_from,
        'rcpt_tos': envelope.rcpt_tos,
        'tls': session.ssl is not None,
        'from_name': sender.display_name if sender else None,
        'to': addresses(msg['To']),
        'subject': str(msg['Subject']),
        'date': date.datetime.isoformat() if date is not None and date.datetime else None,
        'body': body.get_content().replace('\r\n', '\n') if body else None,
        'body_charset': body.get_content_charset() if body else None,
        'attachments': [{
            'filename': part.get_filename(),
            'type': part.get_content_type(),
            'bytes': base64.b64encode(part.get_content()).decode('ascii'),
        } for part in msg.iter_attachments()],
        'defects': [str(d) for part in msg.walk() for d in part.defects],
    }


class Sink:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        stem = os.path.join(self.outdir, str(self.count))
        with open(stem + '.eml', 'wb') as f:
            f.write(envelope.original_content)
        with open(stem + '.json.tmp', 'w', encoding='utf-8') as f:
            json.dump(report(envelope, session), f)
        os.replace(stem + '.json.tmp', stem + '.json')
        return '250 Message accepted for delivery'


async def main():
    outdir = sys.argv[1]
    tls = None
    if sys.argv[2:] == ['tls']:
        cert, key = os.path.join(outdir, 'sink.crt'), os.path.join(outdir, 'sink.key')
        made = subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '2',
                               '-subj', '/CN=sink.test', '-keyout', key, '-out', cert],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        if made:
            tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            tls.load_cert_chain(cert, key)
    sink = Sink(outdir)
    loop = asyncio.get_running_loop()
    # A fixed host name: aiosmtpd would otherwise look up this machine's.
    server = await loop.create_server(
        lambda: SMTP(sink, hostname='sink.test', enable_SMTPUTF8=True, tls_context=tls,
                     require_starttls=False),
        '127.0.0.1', 0)
    print(server.sockets[0].getsockname()[1], 1 if tls else 0, flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


asyncio.run(main())
