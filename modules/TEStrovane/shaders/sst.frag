#version 150
// Structure tensor of the RGB image from Sobel gradients: (E, G, F) =
// (Gx.Gx, Gy.Gy, Gx.Gy) summed over the colour channels.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D tex_img;
uniform vec2 imgSize;

void main()
{
    vec2 dx = vec2(1.0 / imgSize.x, 0.0);
    vec2 dy = vec2(0.0, 1.0 / imgSize.y);
    vec3 l = texture(tex_img, uv - dx).rgb;
    vec3 r = texture(tex_img, uv + dx).rgb;
    vec3 u = texture(tex_img, uv + dy).rgb;
    vec3 b = texture(tex_img, uv - dy).rgb;
    vec3 ul = texture(tex_img, uv - dx + dy).rgb;
    vec3 ur = texture(tex_img, uv + dx + dy).rgb;
    vec3 bl = texture(tex_img, uv - dx - dy).rgb;
    vec3 br = texture(tex_img, uv + dx - dy).rgb;
    vec3 gx = (ur - ul + 2.0 * (r - l) + br - bl) / 4.0;
    vec3 gy = (ul - bl + 2.0 * (u - b) + ur - br) / 4.0;
    fragColor = vec4(dot(gx, gx), dot(gy, gy), dot(gx, gy), gx.r);
}
