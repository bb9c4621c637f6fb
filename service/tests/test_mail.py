import email
import email.policy
import os

from .harness import ServiceTest, post, values


class MailTest(ServiceTest):
    def outbox(self):
        directory = self.path("outbox")
        messages = []
        for name in sorted(os.listdir(directory)):
            with open(os.path.join(directory, name), "rb") as f:
                raw = f.read()
            # Every line of a message file ends with CR LF.
            self.assertNotIn(b"\n", raw.replace(b"\r\n", b""))
            messages.append(email.message_from_bytes(raw, policy=email.policy.default))
        return messages


class NotificationTest(MailTest):
    def notify(self, recipients, **override):
        fields = dict(AssetName="Holiday", pword=self.password, UserId="alice",
                      ProdNum="3", AssetID=self.asset_id, AssetNum=self.number,
                      AssetType="2", AssetDesc="Beach", Emails=str(len(recipients)))
        fields.update(override)
        body = "&".join("%s=%s" % kv for kv in fields.items())
        for i, (address, view, name) in enumerate(recipients):
            body += "&Email%d=%s&ViewType%d=%d&RecipName%d=%s" % (i, address, i,
                                                                  view, i, name)
        return post("smtp_mail.exe", body)

    def setUp(self):
        super().setUp()
        self.register()
        self.number, self.asset_id, self.password = self.create_asset()

    def test_one_message_per_recipient_naming_the_page(self):
        self.assertEqual(self.notify([("bob@example.com", 0, "Bob"),
                                      ("cy@example.com", 1, "Cy Young")]),
                         "result=OK&sent=2")
        bob, cy = self.outbox()
        self.assertEqual(bob["To"], "Bob <bob@example.com>")
        self.assertEqual(cy["To"], "Cy Young <cy@example.com>")
        page = "http://%s:%s@127.0.0.1:%d/QDXAssets/alice/3/%s/index.asp" % (
            self.asset_id, self.password, self.svc.http, self.number)
        self.assertIn(page, bob.get_content())
        self.assertIn("Ann Lee", bob["Subject"])
        self.assertIn("view and download", cy.get_content())

    def test_no_recipients(self):
        self.assertEqual(self.notify([]), "result=OK&sent=0")
        self.assertEqual(self.outbox(), [])

    def test_refusals_send_nothing(self):
        self.assertEqual(self.notify([], pword="wrong"), "result=FAIL")
        self.assertEqual(self.notify([], AssetNum="99"), "result=FAIL")
        self.assertEqual(self.notify([("bob@example.com", 0, "Bob")], Emails="2"),
                         "result=FAIL")
        self.assertEqual(self.notify([("not an address", 0, "X")]), "result=FAIL")
        self.assertEqual(self.outbox(), [])


class SharingTest(MailTest):
    INFO = (b"TO: bob@example.com\r\nTO: cy@example.com\r\nFR: ann@example.com\r\n"
            b"SU: Pictures\r\nMS: First line\r\nMS: Second line\r\r\n"
            b"FL: a.jpg\r\nFL: notes.txt\r\nSN: Ann Lee\r\n")

    def session(self, info=INFO, files=(("a.jpg", b"\xff\xd8jpeg"), ("notes.txt", b"hi"))):
        name = values(post("get_unique.exe", ""))[0]
        directory = self.path("ftp", "assets", name)
        self.assertTrue(os.path.isdir(directory))
        for file_name, data in files:
            with open(os.path.join(directory, file_name), "wb") as f:
                f.write(data)
        if info is not None:
            with open(os.path.join(directory, "~emailinfo.qorl"), "wb") as f:
                f.write(info)
        return name

    def test_sessions_are_unique(self):
        names = {values(post("get_unique.exe", ""))[0] for _ in range(20)}
        self.assertEqual(len(names), 20)

    def test_fire_mails_each_recipient_with_the_files_attached(self):
        name = self.session()
        self.assertEqual(post("fire_emails.exe", "SessionName=" + name),
                         "result=OK&sent=2")
        bob, cy = self.outbox()
        self.assertEqual((bob["To"], cy["To"]), ("bob@example.com", "cy@example.com"))
        self.assertEqual(bob["From"], "Ann Lee <ann@example.com>")
        self.assertEqual(bob["Subject"], "Pictures")
        # The CR a message line kept before its line end is not message text.
        self.assertEqual(bob.get_body(("plain",)).get_content(),
                         "First line\r\nSecond line\r\n")
        attached = [(p.get_filename(), p.get_content_type(), p.get_content())
                    for p in bob.iter_attachments()]
        self.assertEqual(attached, [("a.jpg", "image/jpeg", b"\xff\xd8jpeg"),
                                    ("notes.txt", "text/plain", "hi")])

    def test_sender_alone_sends_nothing(self):
        name = self.session(info=b"FR: ann@example.com\r\nSU: s\r\nSN: A\r\n", files=())
        self.assertEqual(post("fire_emails.exe", "SessionName=" + name),
                         "result=OK&sent=0")

    def test_refusals(self):
        missing_info = self.session(info=None)
        missing_file = self.session(files=(("a.jpg", b"x"),))
        no_sender = self.session(info=b"TO: bob@example.com\r\n", files=())
        for body in ("SessionName=" + missing_info, "SessionName=" + missing_file,
                     "SessionName=" + no_sender, "SessionName=nosuch",
                     "SessionName=..", "SessionName="):
            self.assertEqual(post("fire_emails.exe", body), "result=FAIL", body)
        self.assertEqual(self.outbox(), [])
