from .harness import ServiceTest, post, values


class RegistrationTest(ServiceTest):
    def test_kinds_follow_the_account_and_product(self):
        first = values(self.register(product="3"))
        self.assertEqual(first[:3], ["alice", "NEW", "1"])
        # The fourth value's "&" travels as "*", and no "&" may leak.
        self.assertEqual(first[3],
                         "Welcome Ann Lee * thank you for registering product 3")
        self.assertEqual(values(self.register(product="3"))[1], "OLD")
        self.assertEqual(values(self.register(product="4"))[1], "NEWAPP")
        self.assertEqual(values(self.register(product="04"))[1], "OLD")

    def test_refusals(self):
        self.register()
        self.assertEqual(values(self.register(password="other"))[0],
                         "WRONG_PASSWORD")
        self.assertEqual(values(self.register(user=""))[0], "ERROR")
        self.assertEqual(values(self.register(user="../x"))[0], "ERROR")
        # A body that lacks a registration field is refused as a whole.
        self.assertEqual(values(post("create_user.exe", "Cust=bob&PostPW=x"))[0],
                         "ERROR")

    def test_registering_again_keeps_the_details_it_does_not_fill_in(self):
        blank = ("Cust=alice&First=&Last=&Addr=&City=&St=&Zip=&EMail=&Day=&Ex="
                 "&Fax=&Night=&Mid=&Code=&PostPW=pw&ProductId=%s")
        stored = ["Ann", "Lee", "1 Main St", "Springfield", "IL", "62701",
                  "alice@example.com"]
        # (body of the second registration, kind, details 1-7 afterwards,
        # code afterwards, the welcome text's name)
        cases = [
            (blank % "3", "OLD", stored, "US", "Ann Lee"),
            (blank % "4", "NEWAPP", stored, "US", "Ann Lee"),
            ((blank % "3").replace("First=&", "First=Anna&")
             .replace("Code=&", "Code=CA&"), "OLD",
             ["Anna"] + stored[1:], "CA", "Anna Lee"),
        ]
        for body, kind, details, code, name in cases:
            with self.subTest(body=body):
                self.setUp()
                self.register(product="3")
                answer = values(post("create_user.exe", body))
                self.assertEqual(answer[1], kind)
                self.assertIn("Welcome %s * thank" % name, answer[3])
                info = values(post("get_user_info.exe", "UserId=alice"))
                self.assertEqual((info[1:8], info[16]), (details, code))

    def test_reply_never_ends_with_a_line_feed(self):
        self.assertFalse(self.register().endswith("\n"))


class ValidationTest(ServiceTest):
    def validate(self, user="alice", password="pw", product="3"):
        return values(post("validate_user.exe", "user_id=%s&PW=%s&product_id=%s"
                           % (user, password, product)))

    def test_status_values(self):
        self.register(product="3")
        self.assertEqual(self.validate(), ["0", "0", "0"])
        self.assertEqual(self.validate(password="bad")[0], "1")
        self.assertEqual(self.validate(product="9")[0], "2")
        self.assertEqual(self.validate(password="bad", product="9")[0], "3")

    def test_unknown_user_is_refused_with_fail(self):
        self.assertEqual(self.validate(user="nobody"), ["0", "FAIL", "FAIL"])
        self.assertEqual(values(post("validate_user.exe", "user_id=alice")),
                         ["0", "FAIL", "FAIL"])

    def test_flags_tell_published_assets_and_homepage(self):
        self.register()
        self.create_asset(product="3")
        self.assertEqual(self.validate(), ["0", "1", "0"])
        post("update_homepage.exe",
             "user=alice&Title=T&Heading=H&Body=B&Theme=1&Reply=R")
        self.assertEqual(self.validate(), ["0", "1", "1"])
        # An asset under another product does not count for this one.
        self.register(product="4")
        self.assertEqual(self.validate(product="4"), ["0", "0", "1"])


class UserInfoTest(ServiceTest):
    UPDATE = ("UserId=alice&PW=%s&First=Anna&Last=Lee-Smith&Addr=2 Elm St"
              "&City=Shelbyville&St=IL&Zip=62565&EMail=anna@example.com"
              "&Day=1&Ex=2&Fax=3&Night=4&Mid=R&CC=CA")

    def test_seventeen_values_in_order(self):
        self.register()
        self.register(product="4")
        self.create_asset()
        info = values(post("get_user_info.exe", "UserId=alice"))
        self.assertEqual(info, [
            "alice", "Ann", "Lee", "1 Main St", "Springfield", "IL", "62701",
            "alice@example.com", "1", "555-1000", "1", "12", "555-1001",
            "555-1002", "2", "Q", "US"])

    def test_unknown_and_missing_user(self):
        self.assertEqual(post("get_user_info.exe", "UserId=ghost"), "user=NOROWS")
        self.assertEqual(post("get_user_info.exe", ""), "user=QDX_FAIL")

    def test_update_needs_the_password_and_every_field(self):
        self.register()
        self.assertEqual(post("update_user.exe", self.UPDATE % "bad"), "result=FAIL")
        self.assertEqual(post("update_user.exe", "UserId=alice&PW=pw"), "result=FAIL")
        self.assertEqual(post("update_user.exe", self.UPDATE % "pw"), "result=OK")
        info = values(post("get_user_info.exe", "UserId=alice"))
        self.assertEqual(info[1:4], ["Anna", "Lee-Smith", "2 Elm St"])
        self.assertEqual(info[16], "CA")

    def test_values_with_escaped_bytes_round_trip(self):
        # The library percent-encodes "&", "=", "+", "%" and control bytes
        # and sends other bytes raw; "&" cannot come back and reads "*".
        self.register()
        body = (self.UPDATE % "pw").replace("First=Anna",
                                            "First=A%26B%3DC%2BD%25 \xe9\x01")
        self.assertEqual(post("update_user.exe", body), "result=OK")
        first = values(post("get_user_info.exe", "UserId=alice"))[1]
        self.assertEqual(first, "A*B=C+D% \xe9\x01")

    def test_delete_user(self):
        self.register()
        self.assertEqual(post("delete_user.exe", "user=alice"), "result=OK")
        self.assertEqual(post("delete_user.exe", "user=alice"), "result=FAIL")
        self.assertEqual(post("get_user_info.exe", "UserId=alice"), "user=NOROWS")


class HomepageTest(ServiceTest):
    def test_round_trip(self):
        self.register()
        self.assertEqual(post("get_homepage.exe", "user=alice"), "title=NOROWS")
        self.assertEqual(post("update_homepage.exe", "user=alice&Title=My page"
                              "&Heading=Hi&Body=a=b %26 c&Theme=2&Reply=R"),
                         "result=OK")
        self.assertEqual(values(post("get_homepage.exe", "user=alice")),
                         ["My page", "Hi", "a=b * c", "2", "R"])
        self.assertEqual(post("delete_homepage.exe", "user=alice"), "result=OK")
        self.assertEqual(post("delete_homepage.exe", "user=alice"), "result=FAIL")
        self.assertEqual(post("get_homepage.exe", "user=alice"), "title=NOROWS")

    def test_refusals(self):
        self.assertEqual(post("update_homepage.exe", "user=ghost&Title=&Heading="
                              "&Body=&Theme=&Reply="), "result=FAIL")
        self.register()
        self.assertEqual(post("update_homepage.exe", "user=alice&Title=T"),
                         "result=FAIL")
        self.assertEqual(post("get_homepage.exe", ""), "title=FAIL")

    def test_version(self):
        self.assertEqual(post("get_version.exe", ""), "version=3.3")
