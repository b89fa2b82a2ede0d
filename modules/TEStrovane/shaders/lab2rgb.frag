#version 150
// Normalised CIE L*a*b* (D65) back to sRGB.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D tex_img;

float finv(float f)
{
    return f > 0.206897 ? f * f * f : (f - 16.0 / 116.0) / 7.787;
}

float gammaEncode(float x)
{
    return x > 0.0031308 ? 1.055 * pow(x, 1.0 / 2.4) - 0.055 : 12.92 * x;
}

void main()
{
    vec3 c = clamp(texture(tex_img, uv).rgb, 0.0, 1.0);
    float L = 100.0 * c.x;
    float a = 254.0 * (c.y - 0.5);
    float b = 254.0 * (c.z - 0.5);
    float fy = (L + 16.0) / 116.0;
    float fx = a / 500.0 + fy;
    float fz = fy - b / 200.0;
    vec3 xyz = vec3(finv(fx), finv(fy), finv(fz)) * vec3(95.047, 100.0, 108.883);
    vec3 v = xyz / 100.0;
    vec3 lin = vec3(dot(v, vec3(3.2406, -1.5372, -0.4986)),
                    dot(v, vec3(-0.9689, 1.8758, 0.0415)),
                    dot(v, vec3(0.0557, -0.2040, 1.0570)));
    vec3 rgb = vec3(gammaEncode(lin.r), gammaEncode(lin.g), gammaEncode(lin.b));
    fragColor = vec4(clamp(rgb, 0.0, 1.0), 1.0);
}
