#version 150
// sRGB to CIE L*a*b* (D65), normalised: L/100, 0.5 + 0.5 a/127, 0.5 + 0.5 b/127.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D tex_img;

void main()
{
    vec3 c = texture(tex_img, uv).rgb;
    vec3 lin = vec3(c.r > 0.04045 ? pow((c.r + 0.055) / 1.055, 2.4) : c.r / 12.92,
                    c.g > 0.04045 ? pow((c.g + 0.055) / 1.055, 2.4) : c.g / 12.92,
                    c.b > 0.04045 ? pow((c.b + 0.055) / 1.055, 2.4) : c.b / 12.92);
    vec3 xyz = 100.0 * vec3(dot(lin, vec3(0.4124, 0.3576, 0.1805)),
                            dot(lin, vec3(0.2126, 0.7152, 0.0722)),
                            dot(lin, vec3(0.0193, 0.1192, 0.9505)));
    vec3 n = xyz / vec3(95.047, 100.0, 108.883);
    vec3 f = vec3(n.x > 0.008856 ? pow(n.x, 1.0 / 3.0) : 7.787 * n.x + 16.0 / 116.0,
                  n.y > 0.008856 ? pow(n.y, 1.0 / 3.0) : 7.787 * n.y + 16.0 / 116.0,
                  n.z > 0.008856 ? pow(n.z, 1.0 / 3.0) : 7.787 * n.z + 16.0 / 116.0);
    float L = 116.0 * f.y - 16.0;
    float a = 500.0 * (f.x - f.y);
    float b = 200.0 * (f.y - f.z);
    fragColor = vec4(L / 100.0, 0.5 + 0.5 * a / 127.0, 0.5 + 0.5 * b / 127.0, 1.0);
}
