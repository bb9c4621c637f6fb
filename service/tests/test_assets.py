import base64
import os

from .harness import ServiceTest, post, request, values


class AssetTest(ServiceTest):
    def setUp(self):
        super().setUp()
        self.register()

    def test_create_makes_the_directory_the_files_go_to(self):
        number, asset_id, password = self.create_asset(product="3")
        self.assertEqual(number, "1")
        self.assertTrue(asset_id.isalnum() and password.isalnum())
        self.assertTrue(os.path.isdir(self.path("ftp", "assets", "alice", "3", "1")))
        # A product number sent as "%d" of 2^32 - 1 names its own directory.
        self.assertEqual(self.create_asset(product="-1")[0], "2")
        self.assertTrue(os.path.isdir(self.path("ftp", "assets", "alice", "-1", "2")))

    def test_create_refusals(self):
        self.assertEqual(self.create_asset(user="ghost"), ["FAIL"])
        body = "UserId=alice&Name=N&Size=1&ProdId=3&AssetType=2&AssetDesc=D&FileCnt=2&File=a"
        self.assertEqual(post("create_asset.exe", body), "asset_num=FAIL")
        self.assertEqual(post("create_asset.exe", "UserId=alice&Name=N"),
                         "asset_num=FAIL")

    def test_no_files(self):
        self.assertEqual(self.create_asset(files=())[0], "1")
        self.assertEqual(values(post("get_asset.exe", "user_num=alice&asset_num=1"))[8],
                         "0")

    def test_single_asset_has_twelve_values(self):
        number, asset_id, password = self.create_asset()
        got = values(post("get_asset.exe", "user_num=alice&asset_num=" + number))
        self.assertEqual(len(got), 12)
        self.assertEqual(got[:7], ["Holiday", "Beach pictures", "3", "2", "500",
                                   asset_id, password])
        self.assertGreater(float(got[7]), 40000.0)  # a day number of our era
        self.assertEqual(got[8], "2")
        self.assertTrue(got[9].startswith("http://%s:%s@127.0.0.1:" % (asset_id, password)))
        self.assertTrue(got[9].endswith("/QDXAssets/alice/3/1/index.asp"))
        self.assertEqual(got[10:], ["0", "a.jpg|b.jpg"])

    def test_single_asset_refusals_are_fail(self):
        self.create_asset()
        for body in ("user_num=alice&asset_num=7", "user_num=bob&asset_num=1",
                     "user_num=alice&asset_num=x"):
            self.assertEqual(post("get_asset.exe", body), "name=FAIL", body)

    def test_list_has_thirteen_values_per_record(self):
        first = self.create_asset(product="3", name="One")
        self.create_asset(product="4", name="Other product")
        second = self.create_asset(product="3", name="Two")
        got = values(post("get_asset.exe",
                          "user_num=alice&asset_num=0&prodcut_id=3"))
        self.assertEqual(len(got), 26)
        one, two = got[:13], got[13:]
        self.assertEqual([one[0], one[7], one[8]], ["One", first[0], first[2]])
        self.assertEqual([two[0], two[7], two[8]], ["Two", second[0], second[2]])
        self.assertGreater(float(one[6]), 40000.0)

    def test_list_empty_and_refused(self):
        self.assertEqual(post("get_asset.exe", "user_num=alice&asset_num=0&prodcut_id=3"),
                         "name=NOROWS")
        self.assertEqual(post("get_asset.exe", "user_num=bob&asset_num=0&prodcut_id=3"),
                         "name=FAIL")

    def test_delete_takes_the_names_with_blanks(self):
        number = self.create_asset(product="3")[0]
        self.assertEqual(post("delete_asset.exe", "user_id=alice&asset_num=%s"
                              "&product_id=3" % number), "result=FAIL")
        self.assertEqual(post("delete_asset.exe", "user_id=alice&asset_num =%s"
                              "&product_id =4" % number), "result=FAIL")
        self.assertEqual(post("delete_asset.exe", "user_id=alice&asset_num =%s"
                              "&product_id =3" % number), "result=OK")
        self.assertEqual(post("get_asset.exe", "user_num=alice&asset_num=" + number),
                         "name=FAIL")
        # The files' directory stays.
        self.assertTrue(os.path.isdir(self.path("ftp", "assets", "alice", "3", number)))


class StatsTest(ServiceTest):
    def visit(self, asset_id, password, path="/QDXAssets/alice/3/1/index.asp"):
        auth = base64.b64encode(("%s:%s" % (asset_id, password)).encode()).decode()
        return request("GET", path, headers={"Authorization": "Basic " + auth})[0]

    def test_page_views_become_statistics(self):
        self.register()
        _, asset_id, password = self.create_asset()
        self.assertEqual(post("get_stats.exe", "User_Id=alice&Asset_num=1"),
                         "day=NOROWS")
        self.assertEqual(self.visit(asset_id, "wrong"), 401)
        self.assertEqual(self.visit(asset_id, password), 200)
        self.assertEqual(self.visit(asset_id, password), 200)
        got = values(post("get_stats.exe", "User_Id=alice&Asset_num=1"))
        self.assertEqual(len(got), 2)
        self.assertEqual(len(got[0]), 8)  # the day as yyyymmdd
        self.assertEqual(got[1], "2")
        self.assertEqual(values(post("get_asset.exe", "user_num=alice&asset_num=1"))[10],
                         "2")

    def test_refusals(self):
        self.assertEqual(post("get_stats.exe", "User_Id=alice&Asset_num=x"), "day=FAIL")
        self.assertEqual(post("get_stats.exe", "User_Id=alice&Asset_num=9"), "day=NOROWS")
        self.assertEqual(request("GET", "/QDXAssets/alice/3/9/index.asp")[0], 404)


class DiskSpaceTest(ServiceTest):
    def test_quota_first_then_bytes_on_disk(self):
        self.register()
        self.assertEqual(post("get_disk_space.exe", "user_num=alice&product_id=3"),
                         "quota=104857600&used=0")
        self.create_asset(product="3")
        self.create_asset(product="4")
        for product, num, size in (("3", "1", 1000), ("4", "2", 24)):
            with open(self.path("ftp", "assets", "alice", product, num, "f"), "wb") as f:
                f.write(b"x" * size)
        self.assertEqual(values(post("get_disk_space.exe",
                                     "user_num=alice&product_id=3"))[1], "1024")

    def test_quota_set_through_control_may_exceed_32_bits(self):
        from .harness import control
        self.assertEqual(control("quota", {"user": "alice", "quota": 2 ** 33 + 5}),
                         (200, {"ok": True}))
        self.assertEqual(values(post("get_disk_space.exe",
                                     "user_num=alice&product_id=3"))[0],
                         str(2 ** 33 + 5))
        self.assertEqual(control("quota", {"user": "alice", "quota": -1})[0], 400)

    def test_unsafe_user_gets_no_space(self):
        self.assertEqual(post("get_disk_space.exe", "user_num=..&product_id=3"),
                         "quota=0&used=0")
