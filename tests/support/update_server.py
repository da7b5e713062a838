# A one-purpose HTTP server for the update check tests, on a free loopback port.
# Arguments: request log file, reply status (or "hang" to accept and never answer), reply body
# file. Prints the port once listening; each request is logged as path, content type and body,
# separated by tabs.
import http.server
import sys
import time

log_path, status, body_path = sys.argv[1], sys.argv[2], sys.argv[3]
with open(body_path, "rb") as f:
    payload = f.read()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", 0))
        body = self.rfile.read(length).decode("latin-1")
        with open(log_path, "a") as log:
            log.write("%s\t%s\t%s\n" % (self.path, self.headers.get("Content-Type"), body))
        if status == "hang":
            time.sleep(60)
            return
        self.send_response(int(status))
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
