#!/usr/bin/python3
"""FTP servers for the transfer tests (Debian python3-pyftpdlib), one process, two ports:

  PORT      pyftpdlib as it is: REST is refused (501) while the transfer type is ASCII, the
            default after login; accepted (350) after "TYPE I". Passive ports 18100-18109.
  PORT + 1  the same, but REST is accepted in either type. Passive ports 18110-18119.

Anonymous users read ROOT except its auth/ folder; "ftpuser"/"ftppass" reads all of ROOT.
Every command and reply is logged to LOG.
Usage: ftp_server.py ROOT LOG PIDFILE [PORT]
"""
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer


class RestInAnyTypeHandler(FTPHandler):
    def ftp_REST(self, line):
        saved, self._current_type = self._current_type, "i"
        try:
            super().ftp_REST(line)
        finally:
            self._current_type = saved


def main():
    root = os.path.realpath(sys.argv[1])
    port = int(sys.argv[4]) if len(sys.argv) > 4 else 18021
    logging.basicConfig(filename=sys.argv[2], level=logging.DEBUG,
                        format="%(asctime)s %(message)s")

    authorizer = DummyAuthorizer()
    authorizer.add_user("ftpuser", "ftppass", root, perm="elr")
    authorizer.add_anonymous(root, perm="elr")
    os.makedirs(os.path.join(root, "auth"), exist_ok=True)
    authorizer.override_perm("anonymous", os.path.join(root, "auth"), perm="", recursive=True)

    ioloop = IOLoop.instance()
    for handler, offset, passive in ((FTPHandler, 0, range(18100, 18110)),
                                     (RestInAnyTypeHandler, 1, range(18110, 18120))):
        handler.authorizer = authorizer
        handler.passive_ports = passive
        handler.masquerade_address = "127.0.0.1"
        handler.banner = "Updater test FTP server ready."
        handler.auth_failed_timeout = 0.2  # the default 3 s pause after a failed login
        FTPServer(("127.0.0.1", port + offset), handler, ioloop=ioloop)

    with open(sys.argv[3], "w") as f:
        f.write("%d\n" % os.getpid())
    ioloop.loop()


if __name__ == "__main__":
    main()
