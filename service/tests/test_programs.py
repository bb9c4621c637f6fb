"""The CGI programs' semantics as the library and the demo rely on them:
one table per program group, replies read by position as the library does."""
import base64
import email
import email.policy
import os

from .harness import ServiceTest, post, request, values


class AccountTest(ServiceTest):
    def test_registration_kinds_refusals_and_kept_details(self):
        first = values(self.register(product="3"))
        # The fourth value's "&" travels as "*": no "&" may leak into a value.
        self.assertEqual(first, ["alice", "NEW", "1",
                                 "Welcome Ann Lee * thank you for registering product 3"])
        blank = ("Cust=alice&First=&Last=&Addr=&City=&St=&Zip=&EMail=&Day=&Ex="
                 "&Fax=&Night=&Mid=&Code=&PostPW=%s&ProductId=%s")
        for body, first_value in [(blank % ("pw", "3"), "alice"),  # details kept
                                  (blank % ("pw", "4"), "alice"),
                                  (blank % ("pw", "04"), "alice"),
                                  (blank % ("other", "3"), "WRONG_PASSWORD"),
                                  (blank.replace("alice", "../x") % ("pw", "3"), "ERROR"),
                                  ("Cust=bob&PostPW=x", "ERROR")]:
            with self.subTest(body=body):
                self.assertEqual(values(post("create_user.exe", body))[0], first_value)
        self.assertEqual([values(post("create_user.exe", blank % ("pw", p)))[1]
                          for p in ("3", "5")], ["OLD", "NEWAPP"])
        info = values(post("get_user_info.exe", "UserId=alice"))
        self.assertEqual(info, ["alice", "Ann", "Lee", "1 Main St", "Springfield", "IL",
                                "62701", "alice@example.com", "1", "555-1000", "0", "12",
                                "555-1001", "555-1002", "3", "Q", "US"])

    def test_validation_flags(self):
        self.register(product="3")
        rows = [("pw", "3", ["0", "0", "0"]), ("bad", "3", ["1"]), ("pw", "9", ["2"]),
                ("bad", "9", ["3"])]
        for password, product, expected in rows:
            reply = post("validate_user.exe", "user_id=alice&PW=%s&product_id=%s"
                         % (password, product))
            self.assertEqual(values(reply)[:len(expected)], expected)
        self.assertEqual(values(post("validate_user.exe", "user_id=nobody&PW=x&product_id=3")),
                         ["0", "FAIL", "FAIL"])
        self.create_asset(product="3")
        post("update_homepage.exe", "user=alice&Title=T&Heading=H&Body=B&Theme=1&Reply=R")
        self.assertEqual(values(post("validate_user.exe", "user_id=alice&PW=pw&product_id=3")),
                         ["0", "1", "1"])

    def test_update_delete_and_escaped_bytes(self):
        self.register()
        update = ("UserId=alice&PW=%s&First=A%%26B%%3DC%%2BD%%25 \xe9\x01&Last=L&Addr=A"
                  "&City=C&St=S&Zip=Z&EMail=e@x&Day=1&Ex=2&Fax=3&Night=4&Mid=R&CC=CA")
        self.assertEqual(post("update_user.exe", update % "bad"), "result=FAIL")
        self.assertEqual(post("update_user.exe", "UserId=alice&PW=pw"), "result=FAIL")
        self.assertEqual(post("update_user.exe", update % "pw"), "result=OK")
        info = values(post("get_user_info.exe", "UserId=alice"))
        self.assertEqual((info[1], info[16]), ("A*B=C+D% \xe9\x01", "CA"))
        self.assertEqual([post("delete_user.exe", "user=alice") for _ in "12"],
                         ["result=OK", "result=FAIL"])
        self.assertEqual(post("get_user_info.exe", "UserId=alice"), "user=NOROWS")
        self.assertEqual(post("get_user_info.exe", ""), "user=QDX_FAIL")

    def test_homepage_round_trip_and_version(self):
        self.register()
        steps = [("get_homepage.exe", "user=alice", "title=NOROWS"),
                 ("update_homepage.exe", "user=alice&Title=T", "result=FAIL"),
                 ("update_homepage.exe", "user=alice&Title=My page&Heading=Hi"
                  "&Body=a=b %26 c&Theme=2&Reply=R", "result=OK"),
                 ("get_homepage.exe", "user=alice", "title=My page&heading=Hi&body=a=b * c"
                  "&theme=2&reply=R"),
                 ("delete_homepage.exe", "user=alice", "result=OK"),
                 ("delete_homepage.exe", "user=alice", "result=FAIL"),
                 ("get_homepage.exe", "", "title=FAIL"),
                 ("get_version.exe", "", "version=3.3")]
        for program, body, reply in steps:
            self.assertEqual(values(post(program, body)), values(reply), (program, body))


class AssetTest(ServiceTest):
    def setUp(self):
        super().setUp()
        self.register()

    def test_create_get_list_delete(self):
        number, asset_id, password = self.create_asset(product="3")
        self.assertEqual(number, "1")
        self.assertTrue(os.path.isdir(self.path("ftp", "assets", "alice", "3", "1")))
        # A product number sent as "%d" of 2^32 - 1 names its own directory.
        self.assertEqual(self.create_asset(product="-1", name="Two")[0], "2")
        got = values(post("get_asset.exe", "user_num=alice&asset_num=1"))
        self.assertEqual(got[:7] + got[8:9] + got[10:], ["Holiday", "Beach pictures", "3", "2",
                                                         "500", asset_id, password, "2", "0",
                                                         "a.jpg|b.jpg"])
        self.assertTrue(got[9].startswith("http://%s:%s@127.0.0.1:" % (asset_id, password)))
        self.assertTrue(got[9].endswith("/QDXAssets/alice/3/1/index.asp"))
        listed = values(post("get_asset.exe", "user_num=alice&asset_num=0&prodcut_id=3"))
        self.assertEqual((len(listed), listed[0], listed[7], listed[8]),
                         (13, "Holiday", "1", password))
        refusals = [("create_asset.exe", "UserId=ghost&Name=N&Size=1&ProdId=3&AssetType=2"
                     "&AssetDesc=D&FileCnt=0", "asset_num=FAIL"),
                    ("create_asset.exe", "UserId=alice&Name=N&Size=1&ProdId=3&AssetType=2"
                     "&AssetDesc=D&FileCnt=2&File=a", "asset_num=FAIL"),
                    ("get_asset.exe", "user_num=alice&asset_num=7", "name=FAIL"),
                    ("get_asset.exe", "user_num=bob&asset_num=0&prodcut_id=3", "name=FAIL"),
                    ("get_asset.exe", "user_num=alice&asset_num=0&prodcut_id=9", "name=NOROWS"),
                    # The delete's field names carry a blank.
                    ("delete_asset.exe", "user_id=alice&asset_num=1&product_id=3", "result=FAIL"),
                    ("delete_asset.exe", "user_id=alice&asset_num =1&product_id =3", "result=OK"),
                    ("get_asset.exe", "user_num=alice&asset_num=1", "name=FAIL")]
        for program, body, reply in refusals:
            self.assertEqual(post(program, body), reply, body)
        self.assertTrue(os.path.isdir(self.path("ftp", "assets", "alice", "3", "1")))

    def test_page_views_become_statistics_and_bytes_count_against_the_quota(self):
        _, asset_id, password = self.create_asset()
        self.assertEqual(post("get_stats.exe", "User_Id=alice&Asset_num=1"), "day=NOROWS")
        page = "/QDXAssets/alice/3/1/index.asp"
        for secret, status in (("wrong", 401), (password, 200), (password, 200)):
            auth = base64.b64encode(("%s:%s" % (asset_id, secret)).encode()).decode()
            self.assertEqual(request("GET", page, headers={"Authorization": "Basic " + auth})[0],
                             status)
        day, views = values(post("get_stats.exe", "User_Id=alice&Asset_num=1"))
        self.assertEqual((len(day), views), (8, "2"))
        self.assertEqual(post("get_stats.exe", "User_Id=alice&Asset_num=x"), "day=FAIL")
        with open(self.path("ftp", "assets", "alice", "3", "1", "f"), "wb") as f:
            f.write(b"x" * 1000)
        self.assertEqual(post("get_disk_space.exe", "user_num=alice&product_id=3"),
                         "quota=104857600&used=1000")
        self.assertEqual(post("get_disk_space.exe", "user_num=..&product_id=3"),
                         "quota=0&used=0")


class MailTest(ServiceTest):
    def outbox(self):
        messages = []
        for name in sorted(os.listdir(self.path("outbox"))):
            with open(self.path("outbox", name), "rb") as f:
                raw = f.read()
            self.assertNotIn(b"\n", raw.replace(b"\r\n", b""))  # CR LF line ends only
            messages.append(email.message_from_bytes(raw, policy=email.policy.default))
        return messages

    def test_notification_one_message_per_recipient_naming_the_page(self):
        self.register()
        number, asset_id, password = self.create_asset()
        body = ("AssetName=Holiday&pword=%s&UserId=alice&ProdNum=3&AssetID=%s&AssetNum=%s"
                "&AssetType=2&AssetDesc=Beach&Emails=%%d" % (password, asset_id, number))
        bob = "&Email0=bob@example.com&ViewType0=0&RecipName0=Bob"
        for fields, reply in [(body.replace("pword=", "pword=x") % 1 + bob, "result=FAIL"),
                              (body % 2 + bob, "result=FAIL"),
                              (body % 1 + bob.replace("bob@", "bob "), "result=FAIL"),
                              (body % 0, "result=OK&sent=0"), (body % 1 + bob, "result=OK&sent=1")]:
            self.assertEqual(post("smtp_mail.exe", fields), reply, fields)
        [message] = self.outbox()
        self.assertEqual(message["To"], "Bob <bob@example.com>")
        self.assertIn("Ann Lee", message["Subject"])
        self.assertIn("http://%s:%s@127.0.0.1:%d/QDXAssets/alice/3/%s/index.asp"
                      % (asset_id, password, self.svc.http, number), message.get_content())

    def session(self, info, files):
        name = values(post("get_unique.exe", ""))[0]
        for file_name, data in files + (("~emailinfo.qorl", info),) * (info is not None):
            with open(self.path("ftp", "assets", name, file_name), "wb") as f:
                f.write(data)
        return "SessionName=" + name

    def test_fire_mails_each_recipient_with_the_files_attached(self):
        info = (b"TO: bob@example.com\r\nTO: cy@example.com\r\nFR: ann@example.com\r\n"
                b"SU: Pictures\r\nMS: First line\r\nMS: Second line\r\r\n"
                b"FL: a.jpg\r\nFL: notes.txt\r\nSN: Ann Lee\r\n")
        files = (("a.jpg", b"\xff\xd8jpeg"), ("notes.txt", b"hi"))
        for body in (self.session(None, files), self.session(info, files[:1]),
                     self.session(b"TO: bob@example.com\r\n", ()), "SessionName=nosuch",
                     "SessionName=..", "SessionName="):
            self.assertEqual(post("fire_emails.exe", body), "result=FAIL", body)
        self.assertEqual(self.outbox(), [])
        self.assertEqual(post("fire_emails.exe", self.session(info, files)), "result=OK&sent=2")
        bob, cy = self.outbox()
        self.assertEqual((bob["To"], cy["To"]), ("bob@example.com", "cy@example.com"))
        self.assertEqual((bob["From"], bob["Subject"]), ("Ann Lee <ann@example.com>", "Pictures"))
        # The CR a message line kept before its line end is not message text.
        self.assertEqual(bob.get_body(("plain",)).get_content(), "First line\r\nSecond line\r\n")
        self.assertEqual([(p.get_filename(), p.get_content_type(), p.get_content())
                          for p in bob.iter_attachments()],
                         [("a.jpg", "image/jpeg", b"\xff\xd8jpeg"),
                          ("notes.txt", "text/plain", "hi")])
