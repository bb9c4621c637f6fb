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
        self.assertEqual(self.control("log")[1]["requests"], [])

    def test_a_script_lasts_its_count_and_reset_ends_it_and_the_log(self):
        self.assertEqual(self.control("script", {"path": PATH, "body": "a=1", "times": 2}),
                         (200, {"ok": True}))
        self.assertEqual([post(self.http, "validate_user.exe") for _ in range(3)],
                         ["a=1", "a=1", "status=0&published=FAIL&homepage=FAIL"])
        self.control("script", {"path": PATH, "body": "x=y", "times": -1})
        self.assertEqual(len(self.control("log")[1]["requests"]), 3)
        self.control("reset", {})
        self.assertEqual(self.control("log")[1]["requests"], [])
        self.assertNotEqual(post(self.http, "validate_user.exe"), "x=y")
