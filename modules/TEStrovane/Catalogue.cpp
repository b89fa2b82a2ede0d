#include "Catalogue.h"

namespace {

const QMap<QString, QString> kBrushSetTypes{
    {QStringLiteral("type01"), QStringLiteral("e626558c-77dc-4b33-b795-ca2642b2ed21")},
    {QStringLiteral("type02"), QStringLiteral("83fc382d-ef61-47a5-9ebc-da13fe1d00fe")},
    {QStringLiteral("type03"), QStringLiteral("b7826764-6a69-494c-9105-dc71092333cd")},
    {QStringLiteral("type04"), QStringLiteral("6785e840-3f1e-4419-878f-fbd02cca1a7d")},
    {QStringLiteral("type05"), QStringLiteral("12fbba38-feef-42f0-94a3-398a15ea92cc")},
    {QStringLiteral("type06"), QStringLiteral("491c8ea5-3b17-4498-99e7-706b8e64309f")},
    {QStringLiteral("type07"), QStringLiteral("f1a127d4-aa72-495c-8558-fe4308fa18f6")},
    {QStringLiteral("type08"), QStringLiteral("005b8f62-d14d-48ba-86c4-f3d7d43777ab")},
    {QStringLiteral("type09"), QStringLiteral("a7ad98b6-6b5a-4cb7-952a-b6a909c22eaf")},
    {QStringLiteral("type10"), QStringLiteral("4490c981-c555-4f5b-ae54-670ccc921b0a")},
    {QStringLiteral("type11"), QStringLiteral("f29f4992-8f55-4c67-b78c-ee6eb673ac41")},
    {QStringLiteral("type12"), QStringLiteral("aa0d34fc-a525-4e8d-86ed-f4378cd1a1e8")},
    {QStringLiteral("type13"), QStringLiteral("8809d866-a5ec-4b6d-829a-60800ddadf4e")},
    {QStringLiteral("type14"), QStringLiteral("9dcf57b7-7bca-47d7-9abc-99545629b6ee")},
    {QStringLiteral("type15"), QStringLiteral("e18f4906-83ad-4cf1-a15e-f983a39812fb")},
    {QStringLiteral("type16"), QStringLiteral("a0f61045-e4f3-4276-a131-296b8b0a67ee")},
    {QStringLiteral("type17"), QStringLiteral("0bd6f8d1-a48a-4415-ae9a-9356fc18a235")},
};

const QMap<QString, QString> kCanvasCatalogue{
    {QStringLiteral("Angled Weave"), QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613")},
    {QStringLiteral("Asphalt Damaged"), QStringLiteral("0c79552e-4051-402d-a775-44175af41e10")},
    {QStringLiteral("Asphalt Rough"), QStringLiteral("a4fc4107-7948-4c62-9447-c9ab971b30a9")},
    {QStringLiteral("Asphalt Smooth"), QStringLiteral("9c88d9b5-83e5-4805-bf85-7bd222aaa825")},
    {QStringLiteral("basket-weave-1"), QStringLiteral("eba5b271-0c67-4937-8d34-02d280932023")},
    {QStringLiteral("Brick New"), QStringLiteral("320e4799-586a-4475-9ae8-c8e0603e2d71")},
    {QStringLiteral("Brick Weathered"), QStringLiteral("899eb870-9c7a-4e17-afe4-7b9edb7b81f9")},
    {QStringLiteral("Canvas I"), QStringLiteral("d1e6a18b-c106-4550-98a7-e793cd816547")},
    {QStringLiteral("Canvas II"), QStringLiteral("eba5b271-0c67-4937-8d34-02d280932023")},
    {QStringLiteral("Canvas III"), QStringLiteral("08a7e920-b511-4cea-923e-a2755fe72fd6")},
    {QStringLiteral("Canvas IV"), QStringLiteral("33fb5e76-e815-4a29-b388-7eff757debde")},
    {QStringLiteral("Canvas V"), QStringLiteral("3d80fe62-58e7-4bbd-bb7b-da1c3d89f7c3")},
    {QStringLiteral("Canvas VI"), QStringLiteral("5acfd98a-31d2-4f93-b863-33d5bd2d58db")},
    {QStringLiteral("Cardboard"), QStringLiteral("ecd96f39-057a-4fee-9d0d-a3463f6f79ae")},
    {QStringLiteral("Concrete Mixed"), QStringLiteral("663ad3da-0f65-4365-9722-98256234c69d")},
    {QStringLiteral("Concrete Painted"), QStringLiteral("b2320eb5-1812-4709-ac19-44c18c2b1a7b")},
    {QStringLiteral("Concrete Rough"), QStringLiteral("4b783740-acfd-475f-97cc-f2edb79b798c")},
    {QStringLiteral("Concrete Smooth"), QStringLiteral("f6d2be90-45ea-4724-ba72-9f2aeeb2b73f")},
    {QStringLiteral("Cracked Surface"), QStringLiteral("e73b5db6-252e-4f81-8a65-238fc37170c7")},
    {QStringLiteral("Fabric Thin"), QStringLiteral("a9e523bd-57fc-4555-b402-61f2b0366e09")},
    {QStringLiteral("Fabric"), QStringLiteral("cada2e45-a818-4f04-a924-bc9a0027b988")},
    {QStringLiteral("Grass Full"), QStringLiteral("812752c1-e1e1-4dde-aa45-25b6121c4994")},
    {QStringLiteral("Grass Patchy"), QStringLiteral("b2222411-26fd-45cd-a74a-8e4aa47f695e")},
    {QStringLiteral("Leather I"), QStringLiteral("0db2f18d-29ba-4b2b-a99a-682f2882d663")},
    {QStringLiteral("Leather II"), QStringLiteral("2cb1e77e-32df-4d04-b906-a0d6c1bc9f64")},
    {QStringLiteral("loose-weave-3"), QStringLiteral("33fb5e76-e815-4a29-b388-7eff757debde")},
    {QStringLiteral("Marble I"), QStringLiteral("01653589-ab19-40f8-bc45-451fca2ea1ff")},
    {QStringLiteral("Marble II"), QStringLiteral("97a7db9f-6c36-4d53-b624-ad97a848b1c6")},
    {QStringLiteral("Metal Clean"), QStringLiteral("8664b849-13a3-4a4f-82d1-678cdc5fcc7d")},
    {QStringLiteral("Metal Holes"), QStringLiteral("1821bd83-af2a-4130-943f-8cf3bc1abb0d")},
    {QStringLiteral("Metal Leaf"), QStringLiteral("780bf66f-309c-4ea5-a758-5af340a38982")},
    {QStringLiteral("Metal Sheet"), QStringLiteral("7c7fbffa-b7a4-431b-ac43-bf1c270133a2")},
    {QStringLiteral("Metal Shingle"), QStringLiteral("46a60ec7-32fa-4b2d-94b1-f5c78c02adce")},
    {QStringLiteral("Metal Tread"), QStringLiteral("446a90e6-c4a3-4ea1-b206-667bb8d9cd35")},
    {QStringLiteral("Painting II"), QStringLiteral("73026626-650d-4b1b-aa06-3667144c2228")},
    {QStringLiteral("Paper I"), QStringLiteral("f81d2f88-5299-4403-80ce-1f58d678155f")},
    {QStringLiteral("Paper II"), QStringLiteral("5e00004e-40a9-42c6-9723-86802b138ecf")},
    {QStringLiteral("Paper III"), QStringLiteral("b39dbef7-e793-4869-a7e6-9c874ad6919b")},
    {QStringLiteral("Paper IV"), QStringLiteral("50d301b1-00eb-49fe-ac66-853a15c6d51f")},
    {QStringLiteral("Paper IX"), QStringLiteral("fa7c4ba1-7dad-45c1-803c-ede2a93ff77a")},
    {QStringLiteral("Paper V"), QStringLiteral("a503eb59-ca42-4f8d-909c-14b8c855af0c")},
    {QStringLiteral("Paper VI"), QStringLiteral("30c01290-554b-488b-9071-7e95641ffae9")},
    {QStringLiteral("Paper VII"), QStringLiteral("7dca575d-c1ff-4af6-9b3c-67a87fcb125d")},
    {QStringLiteral("Paper VIII"), QStringLiteral("73026626-650d-4b1b-aa06-3667144c2228")},
    {QStringLiteral("Paper X"), QStringLiteral("86f7e03a-52cb-4ef9-b43b-80b42499454d")},
    {QStringLiteral("Paper XI"), QStringLiteral("ad8a3676-435e-4433-bc5c-1fc717d63067")},
    {QStringLiteral("Paper XII"), QStringLiteral("8116229a-44e3-4fe5-bc00-eba8f967b20b")},
    {QStringLiteral("Plaster I"), QStringLiteral("f46b2b20-1873-427a-9d44-68b4c0c803ef")},
    {QStringLiteral("Plaster II"), QStringLiteral("5d60d4d3-6c4a-4436-ae78-457c8395c5ec")},
    {QStringLiteral("Plaster III"), QStringLiteral("d22d89da-f38a-41ca-9a1b-385a6dfb967d")},
    {QStringLiteral("Porcelain"), QStringLiteral("b132b5eb-64f3-4028-a67e-d20c1a13d00b")},
    {QStringLiteral("Quilt"), QStringLiteral("d459a401-cf26-40ae-9deb-02ddb27e0d26")},
    {QStringLiteral("Rock Granite"), QStringLiteral("c5f57472-41ee-47f1-a2e1-fcb4706e6134")},
    {QStringLiteral("Rock Marble"), QStringLiteral("80aa69d1-b842-4712-9071-e0bda4575b83")},
    {QStringLiteral("Rock Mixed Stone"), QStringLiteral("80f6b67a-2125-4333-96ff-9291dacbfab3")},
    {QStringLiteral("Rock Rough I"), QStringLiteral("76fdbdb1-5a12-4738-b9a2-dea13c5f3efd")},
    {QStringLiteral("Rock Rough II"), QStringLiteral("fcd743b1-1d97-478b-ac39-a12f5cfb7930")},
    {QStringLiteral("Rock Stones I"), QStringLiteral("8d9801f9-9f07-480b-8134-d85bf54c4917")},
    {QStringLiteral("Rock Stones II"), QStringLiteral("71678595-cc6f-438b-9c63-1d38d8b3bf5a")},
    {QStringLiteral("Rust"), QStringLiteral("80637ebd-dd2f-4150-94db-843f899d13bb")},
    {QStringLiteral("Soil I"), QStringLiteral("e1543826-0364-4558-a161-07ab6cdbe6e7")},
    {QStringLiteral("Soil II"), QStringLiteral("f4db8363-c279-4f87-ad7c-83773cdd3457")},
    {QStringLiteral("Stone Pavement"), QStringLiteral("41d60840-0e57-4bc2-8e37-0e3d8878e02d")},
    {QStringLiteral("Tight Weave"), QStringLiteral("6030af24-5bf5-4b72-aca8-c2567ec594a1")},
    {QStringLiteral("Tile I"), QStringLiteral("c5614c23-e210-4b16-b7b1-f6da01e84329")},
    {QStringLiteral("Tile II"), QStringLiteral("e17d291c-6eb9-451f-b77c-16ca50c4b113")},
    {QStringLiteral("Tile III"), QStringLiteral("62ff62d3-4b20-4cb3-a7b9-d53705a88080")},
    {QStringLiteral("Tree Bark"), QStringLiteral("12470a43-f387-4750-bfc3-ada8cb718b75")},
    {QStringLiteral("Wood Grain I"), QStringLiteral("38f6948c-ce57-4e89-90cf-3ea579bb88b8")},
    {QStringLiteral("Wood Grain II"), QStringLiteral("a12297b4-9fe1-431e-b05a-b2ae0ee66678")},
    {QStringLiteral("Wood Partical"), QStringLiteral("c2372bd8-0253-406c-a2aa-9c715a20ac6b")},
    {QStringLiteral("Wood Plank I"), QStringLiteral("43daeefe-5947-4541-8250-03f7f58aa15e")},
    {QStringLiteral("Wood Plank II"), QStringLiteral("fc8e6bfb-4327-4ef5-b551-2aed2ce6ba13")},
};

} // namespace

const QMap<QString, QString>& brushSetTypes()
{
    return kBrushSetTypes;
}

const QMap<QString, QString>& canvasCatalogue()
{
    return kCanvasCatalogue;
}

