"""The control interface refuses what it cannot do: a misspelt fault must fail the test that
asks for it, not quietly do nothing. What the faults do is shown by the library's tests of
hostile servers, which fail when a fault does less."""
from .harness import ServiceTest, post

PATH = "/cgiscripts/validate_user.exe"


class ControlTest(ServiceTest):
    def test_malformed_control_requests_are_refused_and_change_nothing(self):
        for path, body in [("script", {"body": "no path"}), ("script", {"path": PATH, "times": 0}),
                           ("script", {"path": PATH, "delay_ms": "1"}),
                           ("script", {"path": PATH, "unknown": 1}), ("ftp", {"delay_ms": -1}),
                           ("ftp", {"explode": True}), ("quota", {"user": "a", "quota": -1}),
                           ("quota", {"user": "a", "quota": True}), ("reset", [1]),
                           ("nothing", {})]:
            self.assertIn(self.control(path, body)[0], (400, 404), (path, body))
        # No refused script took effect: the program answers for itself.
        self.assertEqual(post(self.http, "validate_user.exe"),
                         "status=0&published=FAIL&homepage=FAIL")
