#!/usr/bin/python3
# A private bus with a mock login manager on it, for the tests of the sleep lock: prints the bus's
# address on one line, then keeps both until it is sent SIGTERM, and takes them down with it.
import os
import signal
import subprocess
import sys

import dbusmock

pid, address = dbusmock.DBusTestCase.start_dbus()
os.environ['DBUS_SYSTEM_BUS_ADDRESS'] = address
mock, _ = dbusmock.DBusTestCase.spawn_server_template(
    'logind', {}, stdout=subprocess.DEVNULL, system_bus=True)


def stop(*_):
    mock.terminate()
    mock.wait()
    dbusmock.DBusTestCase.stop_dbus(pid)
    sys.exit(0)


signal.signal(signal.SIGTERM, stop)
print(address, flush=True)
while True:
    signal.pause()
