"""The Linux side of a Windows test program's run (tests/wine/run starts it): on 127.0.0.1:PORT
it runs the Linux programs that a Windows program under wine cannot start, for
tests/support/win32/. Each action is a POST of JSON and answers JSON:

  run      {argv, env, unset, input, timeout_ms} -> {exit, out, err}; exit -1 when killed
  start    {argv, out, log, cwd} -> {id}: stdout to the file out, stderr appended to log
  running  {id} -> {running}
  stop     {id} -> {stopped}: SIGTERM, and false when it took SIGKILL after 5 s

It prints "ready" once it listens, and ends with the run's namespace."""
import http.server
import json
import os
import subprocess
import sys

started = {}


def environment(request):
    env = {k: v for k, v in os.environ.items() if k not in request.get("unset", [])}
    env.update(dict(request.get("env", [])))
    return env


def run(request):
    try:
        done = subprocess.run(request["argv"], input=request.get("input", "").encode(),
                              capture_output=True, env=environment(request),
                              timeout=request["timeout_ms"] / 1000)
    except subprocess.TimeoutExpired as expired:
        done = subprocess.CompletedProcess(request["argv"], -1, expired.stdout or b"",
                                           expired.stderr or b"")
    return {"exit": done.returncode if done.returncode >= 0 else -1,
            "out": done.stdout.decode(errors="replace"),
            "err": done.stderr.decode(errors="replace")}


def start(request):
    with open(request["out"], "wb") as out, open(request["log"], "ab") as log:
        child = subprocess.Popen(request["argv"], stdin=subprocess.DEVNULL, stdout=out,
                                 stderr=log, cwd=request["cwd"],
                                 env=dict(os.environ, PYTHONUNBUFFERED="1"))
    started[child.pid] = child
    return {"id": child.pid}


def stop(request):
    child = started.pop(request["id"])
    child.terminate()
    try:
        child.wait(5)
        return {"stopped": True}
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
        return {"stopped": False}


ACTIONS = {"run": run, "start": start, "stop": stop,
           "running": lambda request: {"running": started[request["id"]].poll() is None}}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", 0))
        try:
            reply, status = ACTIONS[self.path.strip("/")](json.loads(self.rfile.read(length))), 200
        except Exception as error:  # the Windows side shows it as the test's failure
            reply, status = {"error": repr(error)}, 500
        body = json.dumps(reply).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
print("ready", flush=True)
server.serve_forever()
