#!/usr/bin/env python3
"""A relay on 127.0.0.1 that passes every connection on to the receiver unchanged and records what went
each way: Wine's browser object cannot show a page (no HTML engine in the test prefix), so the end-to-end
test reads the answer that the browser window received here.

  recording_relay.py <receiver port> <folder>   prints its own port, then serves until killed;
  each connection leaves <n>.request and <n>.response in the folder.
"""
import itertools
import os
import selectors
import socket
import sys
import threading


def relay(client, target_port, folder, number):
    upstream = socket.create_connection(("127.0.0.1", target_port))
    records = {client: open(os.path.join(folder, "%d.request" % number), "wb"),
               upstream: open(os.path.join(folder, "%d.response" % number), "wb")}
    other = {client: upstream, upstream: client}
    selector = selectors.DefaultSelector()
    for end in (client, upstream):
        selector.register(end, selectors.EVENT_READ)
    open_ends = 2
    try:
        while open_ends:
            for key, _ in selector.select(timeout=300):
                data = key.fileobj.recv(65536)
                if not data:
                    selector.unregister(key.fileobj)
                    open_ends -= 1
                    try:
                        other[key.fileobj].shutdown(socket.SHUT_WR)
                    except OSError:
                        pass
                    continue
                records[key.fileobj].write(data)
                records[key.fileobj].flush()
                other[key.fileobj].sendall(data)
    finally:
        for end, record in records.items():
            record.close()
            end.close()


def main():
    target_port, folder = int(sys.argv[1]), sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    print(server.getsockname()[1], flush=True)
    for number in itertools.count(1):
        client, _ = server.accept()
        threading.Thread(target=relay, args=(client, target_port, folder, number), daemon=True).start()


if __name__ == "__main__":
    main()
