#!/usr/bin/python3
"""FTP servers for the transfer tests (Debian python3-pyftpdlib), one process, two ports:

  PORT      pyftpdlib as it is: REST is refused (501) while the transfer type is ASCII, the
            default after login; accepted (350) after "TYPE I".
  RESTPORT  the same, but REST is accepted in either type.
Passive data connections take ports the system chooses, free by construction.

Anonymous users read ROOT except its auth/ folder; "ftpuser"/"ftppass" reads all of ROOT.
Every command and reply is logged to LOG.
Usage: ftp_server.py ROOT LOG PIDFILE PORT RESTPORT
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
    port, rest_port = int(sys.argv[4]), int(sys.argv[5])
    logging.basicConfig(filename=sys.argv[2], level=logging.DEBUG,
                        format="%(asctime)s %(message)s")

    authorizer = DummyAuthorizer()
    authorizer.add_user("ftpuser", "ftppass", root, perm="elr")
    authorizer.add_anonymous(root, perm="elr")
    os.makedirs(os.path.join(root, "auth"), exist_ok=True)
    authorizer.override_perm("anonymous", os.path.join(root, "auth"), perm="", recursive=True)

    ioloop = IOLoop.instance()
    for handler, handler_port in ((FTPHandler, port), (RestInAnyTypeHandler, rest_port)):
        handler.authorizer = authorizer
        handler.masquerade_address = "127.0.0.1"
        handler.banner = "Updater test FTP server ready."
        handler.auth_failed_timeout = 0.2  # the default 3 s pause after a failed login
        FTPServer(("127.0.0.1", handler_port), handler, ioloop=ioloop)

    with open(sys.argv[3], "w") as f:
        f.write("%d\n" % os.getpid())
    ioloop.loop()


if __name__ == "__main__":
    main()
