"""The CGI programs' semantics as the library and the demo rely on them:
one table per program group, replies read by position as the library does."""
import base64
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
    def session(self, info, files=(("a.jpg", b"x"),)):
        name = values(post("get_unique.exe", ""))[0]
        for file_name, data in files + (("~emailinfo.qorl", info),) * (info is not None):
            with open(self.path("ftp", "assets", name, file_name), "wb") as f:
                f.write(data)
        return "SessionName=" + name

    def test_fire_refuses_what_it_cannot_send_whole_and_sends_nothing(self):
        info = b"TO: bob@example.com\r\nFR: ann@example.com\r\nSU: s\r\nFL: a.jpg\r\nSN: A\r\n"
        for body in (self.session(None), self.session(info, ()),
                     self.session(b"TO: bob@example.com\r\nFL: a.jpg\r\n"),
                     "SessionName=nosuch", "SessionName=..", "SessionName="):
            self.assertEqual(post("fire_emails.exe", body), "result=FAIL", body)
        self.assertEqual(os.listdir(self.path("outbox")), [])
        self.assertEqual(post("fire_emails.exe", self.session(info)), "result=OK&sent=1")
